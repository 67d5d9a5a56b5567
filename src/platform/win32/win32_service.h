#pragma once

// Ondrel's schedule as a Windows service, in ondrel.exe itself:
//   ondrel.exe --service            run by the service control manager
//   ondrel.exe --install-service    register it (from an elevated prompt) and start it
//   ondrel.exe --uninstall-service  stop it and remove it
// Each returns the process's exit code.
namespace Win32Service {

// The service's name, its Event Log source and its account's name under
// "NT SERVICE".
inline constexpr const wchar_t* kName = L"Ondrel";

int run();
int install();
int uninstall();

} // namespace Win32Service

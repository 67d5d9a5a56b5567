#include <windows.h>

#include <string>

#include "platform/win32/win32_executable_info.h"

// Tells where it runs from, as the program finds its settings file: writes
// its folder and its name without extension, each in UTF-8 on a line of its
// own, into the file named by its argument.
int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    const Win32ExecutableInfo executable;
    const std::string answer = executable.folder() + "\n" + executable.baseName() + "\n";
    const HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}

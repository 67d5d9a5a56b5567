#include <windows.h>

// Runs for as long as the road is up (scripts/wine-road.sh up ... down).
// Wine's desktop process (explorer.exe /desktop) ends about a second
// after the last program on the desktop has ended, holding that program's
// output open until then; Wine's services start with the first program
// and hold its output for good. Started first, with its output in a file,
// this program takes both off the tests. It creates the file named by its
// argument once the desktop is there.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    GetDesktopWindow();
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments && count > 1) {
        const HANDLE ready =
            CreateFileW(arguments[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE)
            CloseHandle(ready);
    }
    Sleep(INFINITE);
    return 0;
}

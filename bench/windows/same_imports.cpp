// Linked into a second bare ticker: an import of each system DLL that
// ondrel.exe imports, so that this baseline loads what Ondrel's process
// loads at its start, whatever a service of it calls. Nothing is called.

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <sql.h>

extern "C" {
// Read by nobody: only the imports count.
volatile const void* ondrelBenchImports[] = {
    reinterpret_cast<const void*>(&::RegCloseKey),          // advapi32
    reinterpret_cast<const void*>(&::InitCommonControlsEx), // comctl32
    reinterpret_cast<const void*>(&::GetStockObject),       // gdi32
    reinterpret_cast<const void*>(&::SQLAllocHandle),       // odbc32
    reinterpret_cast<const void*>(&::CoTaskMemFree),        // ole32
    reinterpret_cast<const void*>(&::SHFileOperationW),     // shell32
    reinterpret_cast<const void*>(&::MessageBoxW),          // user32
};
}

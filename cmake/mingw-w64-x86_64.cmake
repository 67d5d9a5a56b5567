# Cross-builds the Windows edition (64-bit Windows 10 and later) with
# Debian's mingw-w64: cmake -S . -B build-windows
#   -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The POSIX thread model of the compiler: GCC 12's win32 model has no
# std::thread or std::mutex. Every program is linked statically (libgcc,
# libstdc++, winpthread), so an .exe needs no DLL beside it. The project
# links its programs with -municode (entry point wmain or wWinMain, whose
# arguments arrive in UTF-16 whatever the ANSI code page; not here, where
# CMake's compiler checks start at main). A GUI program sets the target
# property WIN32_EXECUTABLE (-mwindows); tests stay console programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ONDREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ONDREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ONDREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ONDREL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ONDREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide-character Windows API, Windows 10 declarations.
set(ONDREL_WINDOWS_DEFINES "-DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00")
set(CMAKE_C_FLAGS_INIT "${ONDREL_WINDOWS_DEFINES}")
set(CMAKE_CXX_FLAGS_INIT "${ONDREL_WINDOWS_DEFINES}")
set(CMAKE_RC_FLAGS_INIT "${ONDREL_WINDOWS_DEFINES}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Else CMake ends a link line that names a library by -l with -Bdynamic,
# and the compiler's own libraries (libstdc++, winpthread) after it become DLLs.
set(CMAKE_LINK_SEARCH_START_STATIC ON)
set(CMAKE_LINK_SEARCH_END_STATIC ON)

# Cross-built programs run under Wine; the project's test road replaces
# this with a wrapper that also sets up the prefix, locale and drivers.
find_program(ONDREL_WINE wine)
if(ONDREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ONDREL_WINE})
endif()

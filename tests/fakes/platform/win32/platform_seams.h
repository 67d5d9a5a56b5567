#pragma once

#include <string>

#include "platform/win32/win32_file_io.h"
#include "platform/win32/win32_schedule_lock.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text_encoding.h"

// The Windows edition's own files, GBK and shell, for the tests shared by
// both editions.
using PlatformFileIo = Win32FileIo;
using PlatformTextEncoding = Win32TextEncoding;
using PlatformShell = Win32Shell;
using PlatformScheduleLock = Win32ScheduleLock;

// The root folder of a drive, as an executable's folder can be.
inline const std::string kRootFolder = "C:\\";

// The tests shared by both editions keep the recycle bin out of them: a
// test's trash is its own folder (the road's own recycle bin is tested in
// tests/win32/main_job_test.cpp).
struct PlatformTrashPlaces {};
inline bool moveIntoPlatformTrash(const PlatformTrashPlaces&, const std::string&, const std::string&)
{
    return false;
}

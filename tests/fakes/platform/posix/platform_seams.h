#pragma once

#include <string>

#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_shell.h"

// The Linux edition's own files, GBK and shell, for the tests shared by
// both editions.
using PlatformFileIo = PosixFileIo;
using PlatformTextEncoding = IconvTextEncoding;
using PlatformShell = PosixShell;

// The root folder of the file system, as an executable's folder can be.
inline const std::string kRootFolder = "/";

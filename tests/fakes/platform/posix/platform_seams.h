#pragma once

#include <string>

#include "platform/posix/freedesktop_trash.h"
#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_schedule_lock.h"
#include "platform/posix/posix_shell.h"

// The Linux edition's own files, GBK and shell, for the tests shared by
// both editions.
using PlatformFileIo = PosixFileIo;
using PlatformTextEncoding = IconvTextEncoding;
using PlatformShell = PosixShell;
using PlatformScheduleLock = PosixScheduleLock;

// The root folder of the file system, as an executable's folder can be.
inline const std::string kRootFolder = "/";

// The desktop's trash, which a test can put where its own trash would be.
// One trash object for the whole test program, as the program keeps one for
// its life: what it remembers of one test's trash must not mislead it in
// the next.
using PlatformTrashPlaces = FreedesktopTrash::Places;
inline bool moveIntoPlatformTrash(const PlatformTrashPlaces& places, const std::string& path,
                                  const std::string& backupFolder)
{
    static FreedesktopTrash trash(places);
    trash.setPlaces(places);
    return trash.moveIn(path, FreedesktopTrash::backupsNamedWith(backupFolder));
}

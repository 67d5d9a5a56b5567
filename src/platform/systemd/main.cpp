// Ondrel's schedule as a systemd service: the window's settings file, the
// window's backup runs, no window. See packaging/linux/ondrel.service.

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/odbc/odbc_data_access.h"
#include "platform/posix/freedesktop_shell.h"
#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_executable_info.h"
#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/posix_schedule_lock.h"
#include "platform/posix/service_file_check.h"
#include "platform/posix/system_clock.h"
#include "platform/systemd/journal_log.h"
#include "platform/systemd/service_host.h"
#include "platform/systemd/signal_stop.h"
#include "platform/systemd/systemd_notifier.h"
#include "service/run_record_file.h"
#include "service/schedule_runner.h"

namespace {

// sysexits.h's EX_USAGE and EX_CONFIG: systemd is told not to restart a
// service that cannot run as it is set up.
constexpr int kUsage = 64;
constexpr int kConfig = 78;

void usage()
{
    std::fputs("用法: ondrel-service [--settings 配置文件] [--check]\n"
               "  按配置文件(默认为程序所在文件夹中的 ondrel.ini)中的时间段备份,由 systemd 运行。\n"
               "  --check  只检查文件的属主和权限并读取配置文件,然后退出。\n",
               stderr);
}

} // namespace

int main(int argc, char* argv[])
{
    PosixExecutableInfo executable;
    std::string settingsFile = executable.folder() + "/ondrel.ini";
    bool checkOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc) {
            settingsFile = argv[++i];
        } else if (std::strcmp(argv[i], "--check") == 0) {
            checkOnly = true;
        } else {
            usage();
            return std::strcmp(argv[i], "--help") == 0 ? 0 : kUsage;
        }
    }

    // Before anything else: no thread may take the stop signals.
    SignalStop signals;
    JournalLog log;
    const SystemdNotifier notifier;
    const std::string program = executable.folder() + "/" + executable.baseName();
    if (const auto unsafe = ServiceFileCheck::firstUnsafe(
            {program, executable.folder(), PosixPath::folderOf(settingsFile), settingsFile})) {
        log.write(RunnerLog::Priority::Error, *unsafe);
        notifier.send("STATUS=" + *unsafe);
        return kConfig;
    }
    if (const auto readable = ServiceFileCheck::readableByOthers(settingsFile))
        log.write(RunnerLog::Priority::Warning, *readable);

    SystemClock clock;
    PosixFileIo files;
    IconvTextEncoding encoding;
    FreedesktopShell shell;
    OdbcDataAccess dataAccess;
    PosixScheduleLock lock;
    RunRecordFile records(files, RunRecordFile::besideSettings(settingsFile));
    ScheduleRunner runner({shell, dataAccess, records, lock, log, signals}, settingsFile);
    ServiceHost host({clock, files, encoding, runner, log}, signals, notifier, settingsFile);
    if (checkOnly)
        return host.check() ? 0 : kConfig;
    return host.run();
}

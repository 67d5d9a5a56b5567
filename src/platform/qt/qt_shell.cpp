#include "platform/qt/qt_shell.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool QtShell::moveToTrash(const std::string& path)
{
    // Qt 6.4 takes a missing data home (~/.local/share) for "no trash" and
    // then puts files/ and info/ into the current folder. Making sure the
    // data home exists lets Qt create the trash where the freedesktop.org
    // rules put it.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome))
        return false;
    return QFile::moveToTrash(QFile::decodeName(path.c_str()));
}

#include "platform/qt/qt_folder_picker.h"

#include <QFile>
#include <QFileDialog>

std::optional<std::string> QtFolderPicker::browse()
{
    QWidget* parent = m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
    const QString folder = QFileDialog::getExistingDirectory(parent, QStringLiteral("选择备份位置"));
    if (folder.isEmpty())
        return std::nullopt;
    const QByteArray native = QFile::encodeName(QDir::toNativeSeparators(folder));
    return std::string(native.constData(), static_cast<std::size_t>(native.size()));
}

bool QtFolderPicker::ignoresCase() const
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return false;
#endif
}

#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/folder_picker.h"

// The desktop's folder dialog.
class QtFolderPicker final : public FolderPicker {
public:
    void setOwner(QWidget* window) { m_owner = window; }

    std::optional<std::string> browse() override;
    bool ignoresCase() const override;

private:
    QPointer<QWidget> m_owner;
};

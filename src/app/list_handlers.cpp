// Editing the job: the database list and the backup folder.

#include "app/form1.h"
#include "platform/folder_picker.h"
#include "platform/path_separator.h"
#include "text/letter_case.h"

// "Add": the typed name goes to the end of the list, as typed.
void Form1::Command2_Click()
{
    if (Text4.text().empty()) {
        msgBox("请输入需要备份的数库名。");
        return;
    }
    const std::string name = Text4.text();
    Combo1.addItem(name);
    Combo1.setText(name);
    Text4.setText("");
}

// "D": removes the selected entry, or else every entry equal to the text
// shown in the box at the click.
void Form1::Command3_Click()
{
    if (Combo1.listIndex() >= 0) {
        Combo1.removeItem(static_cast<std::size_t>(Combo1.listIndex()));
        Combo1.setText(Combo1.list(0));
        return;
    }
    const std::string named = Combo1.text();
    bool removed = false;
    for (std::size_t i = Combo1.listCount(); i-- > 0;) {
        if (Combo1.list(i) == named) {
            Combo1.removeItem(i);
            removed = true;
        }
    }
    if (removed)
        Combo1.setText(Combo1.list(0));
}

// "选择": the folder dialog.
void Form1::Command4_Click()
{
    const std::string folder = OpenDir();
    if (!folder.empty() && folder != Text5.text()) {
        Text5.setText(folder);
        if (!Text5.text().empty())
            Command3.setEnabled(true);
    }
}

std::string Form1::OpenDir()
{
    const std::optional<std::string> chosen = m_services.folderPicker.browse();
    if (!chosen)
        return {};
    std::string path = chosen->substr(0, chosen->find('\0'));
    if (path.empty() || path.back() != kPathSeparator)
        path += kPathSeparator;
    // Upper case names the same folder only where case does not matter.
    if (m_services.folderPicker.ignoresCase())
        path = LetterCase::upper(std::move(path));
    return path;
}

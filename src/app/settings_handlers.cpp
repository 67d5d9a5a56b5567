// The settings file beside the executable: the controls' values into the
// settings record and back, through the store, and what the operator is told.

#include "app/form1.h"
#include "config/settings_store.h"

// "保存配置"
void Form1::Command6_Click()
{
    SaveSet(setFile);
}

void Form1::SaveSet(const std::string& path)
{
    Settings settings;
    settings.server = Text1.text();
    settings.account = Text2.text();
    settings.password = Text3.text();
    settings.databases = Combo1.items();
    settings.backupFolder = Text5.text();
    settings.replaceMode = Option1.value();
    settings.timeSlotMode = Option2.value();
    settings.slotLock = Check1.value();
    settings.slot1 = Text8.text();
    settings.slot2 = Text7.text();
    settings.slot3 = Text6.text();
    msgBox(SettingsStore(m_services.files, m_services.encoding).save(path, settings).notice);
}

void Form1::OpenSet(const std::string& path)
{
    const SettingsStore::Loaded file = SettingsStore(m_services.files, m_services.encoding).load(path);
    const SettingsFromFile& settings = file.settings;
    const auto apply = [](const std::optional<std::string>& value, TextBox& field) {
        if (value)
            field.setText(*value);
    };
    apply(settings.server, Text1);
    apply(settings.account, Text2);
    apply(settings.password, Text3);
    for (const std::string& entry : settings.databases)
        Combo1.addItem(entry);
    apply(settings.backupFolder, Text5);
    if (settings.replaceMode)
        Option1.setValue(*settings.replaceMode);
    if (settings.timeSlotMode)
        Option2.setValue(*settings.timeSlotMode);
    apply(settings.slot1, Text8);
    apply(settings.slot2, Text7);
    apply(settings.slot3, Text6);
    if (Combo1.listCount() > 0)
        Combo1.setText(Combo1.list(0));

    if (file.problem)
        msgBox(*file.problem);
}

// The settings file beside the executable: moving the controls' values into
// the settings record and back, the file itself, and what the operator is told.

#include "app/form1.h"
#include "config/settings_codec.h"
#include "platform/file_io.h"
#include "platform/text_encoding.h"

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
    // Without the GBK converter the file could only be written wrong.
    if (const std::string missing = m_services.encoding.missingConverter(); !missing.empty()) {
        msgBox("保存失败!系统无法打开GBK字符转换器(" + missing + "),配置文件 " + path + " 未被改动。");
        return;
    }
    const SettingsCodec::Written file = SettingsCodec(m_services.encoding).write(settings);

    try {
        m_services.files.writeAtomically(path, file.bytes);
    } catch (const FileIo::Error& error) {
        msgBox("保存失败!无法写入配置文件 " + path + " :" + error.what() + "。原有配置文件未被改动。");
        return;
    }
    if (file.lossyFields.empty()) {
        msgBox("保存成功!");
        return;
    }
    std::string fields;
    for (const std::string& field : file.lossyFields)
        fields += (fields.empty() ? "" : "、") + field;
    msgBox("配置已保存,但以下内容含有无法保存的字符,已被保存为“?”:" + fields + "。");
}

void Form1::OpenSet(const std::string& path)
{
    // Without the GBK converter nothing in the file can be read right: the
    // window keeps its design values, and the operator learns why once.
    if (const std::string missing = m_services.encoding.missingConverter(); !missing.empty()) {
        msgBox("系统无法打开GBK字符转换器(" + missing + "),无法读取或保存配置文件 " + path + " 。程序使用默认设置。");
        return;
    }
    if (!m_services.files.isRegularFile(path))
        return;
    std::string bytes;
    try {
        bytes = m_services.files.readAll(path);
    } catch (const FileIo::Error& error) {
        msgBox("无法读取配置文件 " + path + " :" + error.what() + "。程序使用默认设置。");
        return;
    }

    const SettingsCodec::Read file = SettingsCodec(m_services.encoding).read(bytes);
    const Settings& settings = file.settings;
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

    if (file.badLine) {
        msgBox("配置文件 " + path + " 第" + std::to_string(file.badLine->number) + "行无法读取:" + file.badLine->what
               + "。此行及其后的设置未被读取。");
    }
}

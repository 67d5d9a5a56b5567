#include "config/settings_store.h"

#include "config/settings_codec.h"
#include "platform/file_io.h"
#include "platform/text_encoding.h"

SettingsStore::Loaded SettingsStore::load(const std::string& path) const
{
    Loaded loaded;
    // Without the GBK converter nothing in the file can be read right.
    if (const std::string missing = m_encoding.missingConverter(); !missing.empty()) {
        loaded.problem =
            "系统无法打开GBK字符转换器(" + missing + "),无法读取或保存配置文件 " + path + " 。程序使用默认设置。";
        return loaded;
    }
    if (!m_files.isRegularFile(path))
        return loaded;
    loaded.found = true;
    std::string bytes;
    try {
        bytes = m_files.readAll(path);
    } catch (const FileIo::Error& error) {
        loaded.problem = "无法读取配置文件 " + path + " :" + error.what() + "。程序使用默认设置。";
        return loaded;
    }
    SettingsCodec::Read file = SettingsCodec(m_encoding).read(bytes);
    loaded.settings = std::move(file.settings);
    if (file.badLine) {
        loaded.problem = "配置文件 " + path + " 第" + std::to_string(file.badLine->number)
            + "行无法读取:" + file.badLine->what + "。此行及其后的设置未被读取。";
    }
    return loaded;
}

SettingsStore::Saved SettingsStore::save(const std::string& path, const Settings& settings)
{
    // Without the GBK converter the file could only be written wrong.
    if (const std::string missing = m_encoding.missingConverter(); !missing.empty())
        return {false, "保存失败!系统无法打开GBK字符转换器(" + missing + "),配置文件 " + path + " 未被改动。"};
    const SettingsCodec::Written file = SettingsCodec(m_encoding).write(settings);
    try {
        m_files.writeAtomically(path, file.bytes);
    } catch (const FileIo::Error& error) {
        return {false, "保存失败!无法写入配置文件 " + path + " :" + error.what() + "。原有配置文件未被改动。"};
    }
    if (file.lossyFields.empty())
        return {true, "保存成功!"};
    std::string fields;
    for (const std::string& field : file.lossyFields)
        fields += (fields.empty() ? "" : "、") + field;
    return {true, "配置已保存,但以下内容含有无法保存的字符,已被保存为“?”:" + fields + "。"};
}

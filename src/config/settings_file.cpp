// The settings file beside the executable: 16 + N lines of GBK text, CR LF
// after each, identified by their position.

#include <string>
#include <vector>

#include "app/form1.h"
#include "config/line_reader.h"
#include "config/setting_values.h"
#include "platform/file_io.h"
#include "platform/text_encoding.h"

namespace {

const char* const kServerHeader = "------服务器配置------";
const char* const kListHeader = "------需备份列表------";
const char* const kListEnd = "请勿修改";
const char* const kFolderHeader = "-------备份位置-------";
const char* const kSystemHeader = "-------系统配置-------";

const char* trueFalse(bool value)
{
    return value ? "True" : "False";
}

// Collects the lines and remembers which fields lost characters to GBK.
class SettingsWriter final {
public:
    void line(const std::string& text, const char* field = nullptr)
    {
        bool lossless = true;
        m_bytes += TextEncoding::utf8ToGbk(text, &lossless);
        m_bytes += "\r\n";
        if (!lossless && field && (m_lossy.empty() || m_lossy.back() != field))
            m_lossy.push_back(field);
    }
    const std::string& bytes() const { return m_bytes; }
    const std::vector<std::string>& lossyFields() const { return m_lossy; }

private:
    std::string m_bytes;
    std::vector<std::string> m_lossy;
};

// The reading rules: a read at the end of the file keeps what the buffer
// held, and an empty buffer is never applied.
class SettingsReader final {
public:
    explicit SettingsReader(const std::string& bytes) : m_lines(bytes) {}

    const std::string& read()
    {
        ++m_lineNumber;
        if (!m_lines.atEnd())
            m_buffer = TextEncoding::gbkToUtf8(m_lines.next());
        return m_buffer;
    }
    void readInto(std::string& entry)
    {
        ++m_lineNumber;
        if (!m_lines.atEnd())
            entry = TextEncoding::gbkToUtf8(m_lines.next());
    }
    template <typename Target>
    void apply(Target& target) const
    {
        if (!m_buffer.empty())
            target.setText(m_buffer);
    }
    const std::string& buffer() const { return m_buffer; }
    int lineNumber() const { return m_lineNumber; }

private:
    LineReader m_lines;
    std::string m_buffer;
    int m_lineNumber = 0;
};

struct BadLine {
    int line;
    std::string what;
};

} // namespace

void Form1::Command6_Click()
{
    SaveSet(setFile);
}

void Form1::SaveSet(const std::string& path)
{
    SettingsWriter file;
    file.line(kServerHeader);
    file.line(Text1.text(), "服务器");
    file.line(Text2.text(), "帐号");
    file.line(Text3.text(), "密码");
    file.line(kListHeader);
    file.line(std::to_string(Combo1.listCount()));
    for (const std::string& entry : Combo1.items())
        file.line(entry, "数据库列表");
    file.line(kListEnd);
    file.line(kFolderHeader);
    file.line(Text5.text(), "备份位置");
    file.line(kSystemHeader);
    file.line(trueFalse(Option1.value()));
    file.line(trueFalse(Option2.value()));
    file.line(std::to_string(Check1.value()));
    file.line(Text8.text(), "时间段1");
    file.line(Text7.text(), "时间段2");
    file.line(Text6.text(), "时间段3");

    try {
        FileIo::writeAtomically(path, file.bytes());
    } catch (const FileIo::Error& error) {
        msgBox("保存失败!无法写入配置文件 " + path + " :" + error.what() + "。原有配置文件未被改动。");
        return;
    }
    if (file.lossyFields().empty()) {
        msgBox("保存成功!");
        return;
    }
    std::string fields;
    for (const std::string& field : file.lossyFields())
        fields += (fields.empty() ? "" : "、") + field;
    msgBox("配置已保存,但以下内容含有无法保存的字符,已被保存为“?”:" + fields + "。");
}

void Form1::OpenSet(const std::string& path)
{
    if (!FileIo::isRegularFile(path))
        return;
    std::string bytes;
    try {
        bytes = FileIo::readAll(path);
    } catch (const FileIo::Error& error) {
        msgBox("无法读取配置文件 " + path + " :" + error.what() + "。程序使用默认设置。");
        return;
    }

    SettingsReader file(bytes);
    auto readSettings = [&]() -> std::optional<BadLine> {
        file.read();
        file.read();
        file.apply(Text1);
        file.read();
        file.apply(Text2);
        file.read();
        file.apply(Text3);

        file.read();
        file.read();
        if (!file.buffer().empty()) {
            const auto count = SettingValues::parseCount(file.buffer());
            if (!count)
                return BadLine{file.lineNumber(), "数据库数量“" + file.buffer() + "”不是有效的整数"};
            std::string entry;
            for (int k = 1; k <= *count; ++k) {
                file.readInto(entry);
                Combo1.addItem(entry);
            }
        }

        file.read();
        file.read();
        file.read();
        file.apply(Text5);

        file.read();
        for (OptionButton* option : {&Option1, &Option2}) {
            file.read();
            if (file.buffer().empty())
                continue;
            const auto value = SettingValues::parseTruth(file.buffer());
            if (!value)
                return BadLine{file.lineNumber(), "备份方式“" + file.buffer() + "”应为True或False"};
            option->setValue(*value);
        }

        file.read(); // the slot lock always starts unlocked

        file.read();
        file.apply(Text8);
        file.read();
        file.apply(Text7);
        file.read();
        file.apply(Text6);
        return std::nullopt;
    };

    const std::optional<BadLine> bad = readSettings();
    if (Combo1.listCount() > 0)
        Combo1.setText(Combo1.list(0));
    if (bad) {
        msgBox("配置文件 " + path + " 第" + std::to_string(bad->line) + "行无法读取:" + bad->what
               + "。此行及其后的设置未被读取。");
    }
}

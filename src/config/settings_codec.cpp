#include "config/settings_codec.h"

#include <cstdint>

#include "config/line_reader.h"
#include "config/setting_values.h"
#include "platform/text_encoding.h"

namespace {

const char* const kServerHeader = "------服务器配置------";
const char* const kListHeader = "------需备份列表------";
const char* const kListEnd = "请勿修改";
const char* const kFolderHeader = "-------备份位置-------";
const char* const kSystemHeader = "-------系统配置-------";
// Up to this count a file that ends inside the names repeats the last name
// read, as it always has; a longer list must be in the file line by line, so
// that one bad count line never appends billions of entries.
constexpr std::int32_t kLongestShortList = 32767;

const char* trueFalse(bool value)
{
    return value ? "True" : "False";
}

// Collects the lines and remembers which fields lost characters to GBK.
class Writer final {
public:
    explicit Writer(const TextEncoding& encoding) : m_encoding(encoding) {}

    void line(const std::string& text, const char* field = nullptr)
    {
        bool lossless = true;
        m_written.bytes += m_encoding.utf8ToGbk(text, &lossless);
        m_written.bytes += "\r\n";
        std::vector<std::string>& lossy = m_written.lossyFields;
        if (!lossless && field && (lossy.empty() || lossy.back() != field))
            lossy.emplace_back(field);
    }
    SettingsCodec::Written take() { return std::move(m_written); }

private:
    const TextEncoding& m_encoding;
    SettingsCodec::Written m_written;
};

// The current-line buffer: a read at the end of the file keeps what it held.
class Reader final {
public:
    Reader(std::string_view bytes, const TextEncoding& encoding) : m_lines(bytes), m_encoding(encoding) {}

    const std::string& read()
    {
        ++m_lineNumber;
        m_fresh = !m_lines.atEnd();
        if (m_fresh)
            m_buffer = m_encoding.gbkToUtf8(m_lines.next());
        return m_buffer;
    }
    // A list entry is read into a buffer of its own.
    void readInto(std::string& entry)
    {
        ++m_lineNumber;
        if (!m_lines.atEnd())
            entry = m_encoding.gbkToUtf8(m_lines.next());
    }
    // The buffer, unless it is empty: an empty line is never applied.
    std::optional<std::string> value() const
    {
        return m_buffer.empty() ? std::nullopt : std::optional<std::string>(m_buffer);
    }
    const std::string& buffer() const { return m_buffer; }
    // Whether the buffer holds the line last read, rather than an earlier
    // one kept at the end of the file.
    bool fresh() const { return m_fresh; }
    int lineNumber() const { return m_lineNumber; }
    // Whether at least that many lines are left to read.
    bool holdsLines(std::int32_t count) const
    {
        LineReader rest = m_lines;
        for (std::int32_t k = 0; k < count; ++k) {
            if (rest.atEnd())
                return false;
            rest.next();
        }
        return true;
    }

private:
    LineReader m_lines;
    const TextEncoding& m_encoding;
    std::string m_buffer;
    bool m_fresh = false;
    int m_lineNumber = 0;
};

// The start of a line, enough to find it by: at most a dozen characters.
std::string startOf(const std::string& text)
{
    constexpr std::size_t kShown = 12;
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < kShown; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return end < text.size() ? text.substr(0, end) + "…" : text;
}

} // namespace

SettingsCodec::Written SettingsCodec::write(const Settings& s) const
{
    Writer file(m_encoding);
    file.line(kServerHeader);
    file.line(s.server.value(), "服务器");
    file.line(s.account.value(), "帐号");
    file.line(s.password.value(), "密码");
    file.line(kListHeader);
    file.line(std::to_string(s.databases.size()));
    for (const std::string& entry : s.databases)
        file.line(entry, "数据库列表");
    file.line(kListEnd);
    file.line(kFolderHeader);
    file.line(s.backupFolder.value(), "备份位置");
    file.line(kSystemHeader);
    file.line(trueFalse(s.replaceMode.value()));
    file.line(trueFalse(s.timeSlotMode.value()));
    file.line(std::to_string(s.slotLock.value()));
    file.line(s.slot1.value(), "时间段1");
    file.line(s.slot2.value(), "时间段2");
    file.line(s.slot3.value(), "时间段3");
    return file.take();
}

SettingsCodec::Read SettingsCodec::read(std::string_view bytes) const
{
    Read result;
    Settings& s = result.settings;
    // Lines that end in LF alone (a file written on another system, or
    // edited there) make one long line of the whole file for this reader:
    // its start would land in every field up to the password, and the rest
    // be quoted in the message. Nothing of such a file is taken.
    if (bytes.find('\n') != std::string_view::npos && bytes.find('\r') == std::string_view::npos) {
        result.badLine = BadLine{1, "各行以LF结尾,不是CR LF"};
        return result;
    }
    Reader file(bytes, m_encoding);
    auto stop = [&](std::string what) {
        result.badLine = BadLine{file.lineNumber(), std::move(what)};
        return result;
    };
    // The bad line's own text, and only its start; nothing that holds the
    // password (a line kept from before the end of the file may be its line).
    auto shown = [&](const std::string& text) -> std::string {
        if (!file.fresh() || (s.password && text.find(*s.password) != std::string::npos))
            return {};
        return "“" + startOf(text) + "”";
    };

    file.read();
    file.read();
    s.server = file.value();
    file.read();
    s.account = file.value();
    file.read();
    s.password = file.value();

    file.read();
    file.read();
    if (!file.buffer().empty()) {
        const auto count = SettingValues::parseCount(file.buffer());
        if (!count)
            return stop("数据库数量" + shown(file.buffer()) + "不是有效的整数");
        if (*count > kLongestShortList && !file.holdsLines(*count))
            return stop("数据库数量" + shown(file.buffer()) + "超过文件中的行数");
        std::string entry;
        for (std::int64_t k = 1; k <= *count; ++k) {
            file.readInto(entry);
            s.databases.push_back(entry);
        }
    }

    file.read();
    file.read();
    file.read();
    s.backupFolder = file.value();

    file.read();
    for (std::optional<bool>* option : {&s.replaceMode, &s.timeSlotMode}) {
        file.read();
        if (file.buffer().empty())
            continue;
        *option = SettingValues::parseTruth(file.buffer());
        if (!*option)
            return stop("备份方式" + shown(file.buffer()) + "应为True或False");
    }

    file.read(); // the slot lock always starts unlocked

    file.read();
    s.slot1 = file.value();
    file.read();
    s.slot2 = file.value();
    file.read();
    s.slot3 = file.value();
    return result;
}

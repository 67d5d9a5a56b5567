#include "config/settings_codec.h"

#include <cstdint>
#include <stdexcept>

#include "config/line_reader.h"
#include "config/setting_values.h"
#include "platform/text_encoding.h"
#include "text/utf16.h"

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

// A file saved as UTF-8 by an editor that marks it so.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// UTF-8 as it stands, each byte that is not part of a valid sequence
// replaced by U+FFFD, as the GBK conversion does.
std::string validUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::string_view sequence = bytes.substr(i, length);
        try {
            Utf16::fromUtf8(sequence);
            out += sequence;
            i += sequence.size();
        } catch (const std::invalid_argument&) {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// A line the reader cannot use: reading stops there.
struct Unreadable {
    int number;
    std::string what;
};

// Lines in order, decoded, each with its number. A line that is not there
// is unreadable: nothing kept from the line before stands in for it.
class Reader final {
public:
    Reader(std::string_view bytes, const TextEncoding& encoding) : m_lines(bytes), m_encoding(encoding)
    {
        if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
            m_utf8 = true;
            m_lines = LineReader(bytes.substr(kUtf8ByteOrderMark.size()));
        }
    }

    const std::string& read()
    {
        ++m_lineNumber;
        if (m_lines.atEnd())
            throw Unreadable{m_lineNumber, "文件在此行之前已结束"};
        const std::string line = m_lines.next();
        m_buffer = m_utf8 ? validUtf8(line) : m_encoding.gbkToUtf8(line);
        return m_buffer;
    }
    // The line, unless it is empty: an empty line is never applied.
    std::optional<std::string> value() const
    {
        return m_buffer.empty() ? std::nullopt : std::optional<std::string>(m_buffer);
    }
    const std::string& buffer() const { return m_buffer; }
    int lineNumber() const { return m_lineNumber; }
    // How many of the next count lines are there.
    std::int64_t linesAhead(std::int64_t count) const
    {
        LineReader rest = m_lines;
        std::int64_t found = 0;
        for (; found < count && !rest.atEnd(); ++found)
            rest.next();
        return found;
    }

private:
    LineReader m_lines;
    const TextEncoding& m_encoding;
    bool m_utf8 = false;
    std::string m_buffer;
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
    file.line(s.server, "服务器");
    file.line(s.account, "帐号");
    file.line(s.password, "密码");
    file.line(kListHeader);
    file.line(std::to_string(s.databases.size()));
    for (const std::string& entry : s.databases)
        file.line(entry, "数据库列表");
    file.line(kListEnd);
    file.line(kFolderHeader);
    file.line(s.backupFolder, "备份位置");
    file.line(kSystemHeader);
    file.line(trueFalse(s.replaceMode));
    file.line(trueFalse(s.timeSlotMode));
    file.line(std::to_string(s.slotLock));
    file.line(s.slot1, "时间段1");
    file.line(s.slot2, "时间段2");
    file.line(s.slot3, "时间段3");
    return file.take();
}

SettingsCodec::Read SettingsCodec::read(std::string_view bytes) const
{
    Read result;
    SettingsFromFile& s = result.settings;
    // Lines that end in LF alone (a file written on another system, or
    // edited there) make one long line of the whole file for this reader:
    // its start would land in every field up to the password, and the rest
    // be quoted in the message. Nothing of such a file is taken.
    if (bytes.find('\n') != std::string_view::npos && bytes.find('\r') == std::string_view::npos) {
        result.badLine = BadLine{1, "各行以LF结尾,不是CR LF"};
        return result;
    }
    Reader file(bytes, m_encoding);
    // The bad line's own text, and only its start; nothing that holds the
    // password.
    auto shown = [&](const std::string& text) -> std::string {
        if (s.password && text.find(*s.password) != std::string::npos)
            return {};
        return "“" + startOf(text) + "”";
    };
    // The next line. One that holds a line feed is two lines run together
    // (one of them ended in LF alone): every later line would land one
    // field off, so none is taken. The writer never writes one.
    auto next = [&](bool quotable = true) -> const std::string& {
        const std::string& line = file.read();
        if (const std::size_t lf = line.find('\n'); lf != std::string::npos)
            throw Unreadable{file.lineNumber(), "含有单独的换行符(LF)" + (quotable ? shown(line.substr(0, lf)) : "")};
        return line;
    };

    try {
        next();
        s.server = (next(), file.value());
        s.account = (next(), file.value());
        s.password = (next(false), file.value());

        next();
        next();
        if (!file.buffer().empty()) {
            const std::string countLine = file.buffer();
            const int countLineNumber = file.lineNumber();
            const auto count = SettingValues::parseCount(countLine);
            if (!count)
                throw Unreadable{countLineNumber, "数据库数量" + shown(countLine) + "不是有效的整数"};
            // The list is taken whole or not at all: a count above the names
            // left in the file would take the lines after them for names.
            if (const std::int64_t there = file.linesAhead(*count); there < *count) {
                throw Unreadable{countLineNumber + static_cast<int>(there) + 1,
                                 "文件在此行之前已结束,第" + std::to_string(countLineNumber) + "行的数据库数量"
                                     + shown(countLine) + "多于其后的行数"};
            }
            std::vector<std::string> names;
            for (std::int64_t k = 1; k <= *count; ++k)
                names.push_back(next());
            s.databases = std::move(names);
        }

        next();
        next();
        s.backupFolder = (next(), file.value());

        next();
        for (std::optional<bool>* option : {&s.replaceMode, &s.timeSlotMode}) {
            if (next().empty())
                continue;
            const auto truth = SettingValues::parseTruth(file.buffer());
            if (!truth)
                throw Unreadable{file.lineNumber(), "备份方式" + shown(file.buffer()) + "应为True或False"};
            *option = truth;
        }

        next(); // the slot lock always starts unlocked

        s.slot1 = (next(), file.value());
        s.slot2 = (next(), file.value());
        s.slot3 = (next(), file.value());
    } catch (Unreadable& bad) {
        result.badLine = BadLine{bad.number, std::move(bad.what)};
    }
    return result;
}

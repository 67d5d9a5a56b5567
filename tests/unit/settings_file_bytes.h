#pragma once

#include <initializer_list>
#include <string>

// Settings files as bytes: GBK text, CR LF after every line.
namespace SettingsFileBytes {

// GBK bytes of the fixed lines.
inline const std::string kServerHeader = "------\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3------";
inline const std::string kListHeader = "------\xD0\xE8\xB1\xB8\xB7\xDD\xC1\xD0\xB1\xED------";
inline const std::string kListEnd = "\xC7\xEB\xCE\xF0\xD0\xDE\xB8\xC4";
inline const std::string kFolderHeader = "-------\xB1\xB8\xB7\xDD\xCE\xBB\xD6\xC3-------";
inline const std::string kSystemHeader = "-------\xCF\xB5\xCD\xB3\xC5\xE4\xD6\xC3-------";

inline std::string crlfLines(std::initializer_list<std::string> lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Server 192.168.1.20, account sa, empty password, shopdb and crmdb, the
// folder D:\dbbak\, time-slot mode, unlocked, the slots at their initial times.
inline const std::string kWorkedExample =
    crlfLines({kServerHeader, "192.168.1.20", "sa", "", kListHeader, "2", "shopdb", "crmdb", kListEnd, kFolderHeader,
               "D:\\dbbak\\", kSystemHeader, "False", "True", "0", "12:00:00", "18:00:00", "03:00:00"});

// The first five lines of the worked example, then the given lines.
inline std::string withLines(std::initializer_list<std::string> middle)
{
    std::string bytes = crlfLines({kServerHeader, "192.168.1.20", "sa", "", kListHeader});
    for (const std::string& line : middle)
        bytes += line + "\r\n";
    return bytes;
}

} // namespace SettingsFileBytes

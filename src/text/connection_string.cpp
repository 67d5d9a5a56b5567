#include "text/connection_string.h"

#include "text/letter_case.h"
#include "text/quoting.h"

namespace ConnectionString {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

std::string attributeValue(const std::string& value)
{
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos
        || (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsBraces)
        return value;
    return "{" + Quoting::doubled(value, '}') + "}";
}

std::string build(const std::string& server, const std::string& database, const std::string& user,
                  const std::string& password)
{
    return "Driver={SQL Server};Server=" + attributeValue(server) + ";Database=" + attributeValue(database)
        + ";uid=" + attributeValue(user) + ";pwd=" + attributeValue(password) + ";";
}

std::vector<Attribute> attributes(const std::string& text)
{
    std::vector<Attribute> found;
    std::size_t i = 0;
    const std::size_t end = text.size();
    while (true) {
        while (i < end && (isBlank(text[i]) || text[i] == ';'))
            ++i;
        const std::size_t equals = text.find('=', i);
        if (i >= end || equals == std::string::npos)
            break;
        Attribute attribute{text.substr(i, equals - i), {}, {}};
        i = equals + 1;
        const std::size_t valueStart = i;
        if (i < end && text[i] == '{') {
            for (++i; i < end; ++i) {
                if (text[i] == '}') {
                    if (i + 1 < end && text[i + 1] == '}')
                        ++i;
                    else
                        break;
                }
                attribute.value += text[i];
            }
            if (i < end)
                ++i;
        } else {
            const std::size_t semicolon = std::min(text.find(';', i), end);
            attribute.value = text.substr(i, semicolon - i);
            i = semicolon;
        }
        attribute.written = text.substr(valueStart, i - valueStart);
        found.push_back(std::move(attribute));
    }
    return found;
}

std::optional<std::string> attribute(const std::string& text, const std::string& keyword)
{
    for (Attribute& found : attributes(text)) {
        if (LetterCase::equalIgnoringCase(found.keyword, keyword))
            return std::move(found.value);
    }
    return std::nullopt;
}

} // namespace ConnectionString

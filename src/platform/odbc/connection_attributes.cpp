#include "platform/odbc/connection_attributes.h"

#include <cctype>

namespace ConnectionAttributes {

std::vector<ConnectionAttribute> parse(const std::string& text)
{
    std::vector<ConnectionAttribute> attributes;
    std::size_t i = 0;
    const std::size_t end = text.size();
    while (true) {
        while (i < end && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ';'))
            ++i;
        const std::size_t equals = text.find('=', i);
        if (i >= end || equals == std::string::npos)
            break;
        ConnectionAttribute attribute{text.substr(i, equals - i), {}, {}};
        i = equals + 1;
        const std::size_t valueStart = i;
        if (i < end && text[i] == '{') {
            for (++i; i < end; ++i) {
                if (text[i] == '}') {
                    if (i + 1 < end && text[i + 1] == '}') {
                        ++i;
                    } else {
                        break;
                    }
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
        attributes.push_back(std::move(attribute));
    }
    return attributes;
}

} // namespace ConnectionAttributes

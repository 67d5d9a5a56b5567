#pragma once

#include <string>
#include <utility>
#include <vector>

// How FreeTDS 1.3.17 splits a connection string in SQLDriverConnect, as its
// odbc/connectparams.c reads it: a braced value runs verbatim to the first
// "};" (or to the end of the string), an unbraced one to the next ";".
inline std::vector<std::pair<std::string, std::string>> readAsFreeTds13(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> attributes;
    std::size_t p = 0;
    while (p < text.size()) {
        while (p < text.size() && text[p] == ';')
            ++p;
        const std::size_t equals = text.find('=', p);
        if (equals == std::string::npos)
            break;
        while (p < equals && text[p] == ' ')
            ++p;
        std::string option = text.substr(p, equals - p);
        p = equals + 1;
        std::size_t end = std::string::npos;
        if (p < text.size() && text[p] == '{') {
            ++p;
            for (std::size_t brace = text.find('}', p); brace != std::string::npos; brace = text.find('}', brace + 1)) {
                if (brace + 1 < text.size() && text[brace + 1] == ';') {
                    end = brace;
                    break;
                }
            }
        } else {
            end = text.find(';', p);
        }
        if (end == std::string::npos)
            end = text.size();
        attributes.emplace_back(std::move(option), text.substr(p, end - p));
        p = end;
        if (p >= text.size())
            break;
        if (text[p] == '}')
            ++p;
        ++p;
    }
    return attributes;
}

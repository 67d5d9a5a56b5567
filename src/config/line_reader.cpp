#include "config/line_reader.h"

std::string LineReader::next()
{
    if (atEnd())
        return {};
    const std::size_t cr = m_bytes.find('\r', m_position);
    if (cr == std::string_view::npos) {
        std::string line(m_bytes.substr(m_position));
        m_position = m_bytes.size();
        return line;
    }
    std::string line(m_bytes.substr(m_position, cr - m_position));
    m_position = cr + 1;
    if (m_position < m_bytes.size() && m_bytes[m_position] == '\n')
        ++m_position;
    return line;
}

#include "platform/posix/iconv_text_encoding.h"

#include <algorithm>
#include <cerrno>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Converts as much as possible; on a sequence the converter cannot take,
// calls onInvalid with the output so far and skips invalidLength bytes.
template <typename OnInvalid>
std::string convert(iconv_t cd, const std::string& input, std::size_t (*invalidLength)(const char*, std::size_t),
                    OnInvalid onInvalid)
{
    std::string output;
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip the offending character.
        const std::size_t skip = std::min(inLeft, invalidLength(in, inLeft));
        onInvalid(output);
        in += skip;
        inLeft -= skip;
    }
    return output;
}

// Without a converter: ASCII is the same in both encodings, the rest is lost.
template <typename OnInvalid>
std::string keepAscii(const std::string& input, std::size_t (*invalidLength)(const char*, std::size_t),
                      OnInvalid onInvalid)
{
    std::string output;
    for (std::size_t at = 0; at < input.size();) {
        if (static_cast<unsigned char>(input[at]) < 0x80) {
            output += input[at++];
            continue;
        }
        onInvalid(output);
        at += std::max<std::size_t>(1, invalidLength(input.data() + at, input.size() - at));
    }
    return output;
}

std::size_t utf8SequenceLength(const char* p, std::size_t left)
{
    const auto lead = static_cast<unsigned char>(*p);
    std::size_t length = 1;
    if (lead >= 0xF0)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC0)
        length = 2;
    // Never skip past a byte that cannot continue the sequence.
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= left || (static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
            return i;
    }
    return length;
}

std::size_t oneByte(const char*, std::size_t)
{
    return 1;
}

} // namespace

IconvTextEncoding::IconvTextEncoding(std::string codePage)
    : m_codePage(std::move(codePage))
    , m_toGbk(iconv_open(m_codePage.c_str(), "UTF-8"))
    , m_fromGbk(iconv_open("UTF-8", m_codePage.c_str()))
{
}

IconvTextEncoding::~IconvTextEncoding()
{
    for (iconv_t cd : {m_toGbk, m_fromGbk}) {
        if (cd != kNoConverter)
            iconv_close(cd);
    }
}

std::string IconvTextEncoding::missingConverter() const
{
    std::string missing;
    if (m_toGbk == kNoConverter)
        missing = "UTF-8 → " + m_codePage;
    if (m_fromGbk == kNoConverter)
        missing += (missing.empty() ? "" : "、") + m_codePage + " → UTF-8";
    return missing.empty() ? missing : "iconv " + missing;
}

std::string IconvTextEncoding::utf8ToGbk(const std::string& utf8, bool* lossless) const
{
    bool clean = true;
    const auto lost = [&clean](std::string& out) {
        out += '?';
        clean = false;
    };
    std::string gbk;
    if (m_toGbk == kNoConverter) {
        gbk = keepAscii(utf8, utf8SequenceLength, lost);
    } else {
        const std::lock_guard<std::mutex> hold(m_lock);
        gbk = convert(m_toGbk, utf8, utf8SequenceLength, lost);
    }
    if (lossless)
        *lossless = clean;
    return gbk;
}

std::string IconvTextEncoding::gbkToUtf8(const std::string& gbk) const
{
    const auto lost = [](std::string& out) { out += "\xEF\xBF\xBD"; };
    if (m_fromGbk == kNoConverter)
        return keepAscii(gbk, oneByte, lost);
    const std::lock_guard<std::mutex> hold(m_lock);
    return convert(m_fromGbk, gbk, oneByte, lost);
}

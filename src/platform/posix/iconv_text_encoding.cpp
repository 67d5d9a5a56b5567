#include "platform/posix/iconv_text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace {

class Converter final {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; on a sequence it cannot take, calls
    // onInvalid with the remaining input and the number of bytes to skip.
    template <typename OnInvalid>
    std::string convert(const std::string& input, std::size_t (*invalidLength)(const char*, std::size_t),
                        OnInvalid onInvalid)
    {
        std::string output;
        char buffer[4096];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(m_cd, &in, &inLeft, &out, &outLeft);
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

private:
    iconv_t m_cd;
};

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

std::string IconvTextEncoding::utf8ToGbk(const std::string& utf8, bool* lossless) const
{
    bool clean = true;
    // Opening a converter loads its tables; keep one per thread.
    thread_local Converter converter("GBK", "UTF-8");
    std::string gbk = converter.convert(utf8, utf8SequenceLength, [&clean](std::string& out) {
        out += '?';
        clean = false;
    });
    if (lossless)
        *lossless = clean;
    return gbk;
}

std::string IconvTextEncoding::gbkToUtf8(const std::string& gbk) const
{
    thread_local Converter converter("UTF-8", "GBK");
    return converter.convert(gbk, oneByte, [](std::string& out) { out += "\xEF\xBF\xBD"; });
}

// Feeds arbitrary bytes to the settings reader. It must never crash or hang,
// and whatever the window would take from a file (applied to the controls'
// initial values) must survive a save and a second start unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/settings_codec.h"
#include "platform/posix/iconv_text_encoding.h"

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

bool holdsReplacement(const SettingsFromFile& s)
{
    // Bytes that are not GBK come back as U+FFFD, which GBK cannot hold.
    for (const auto* field : {&s.server, &s.account, &s.password, &s.backupFolder, &s.slot1, &s.slot2, &s.slot3}) {
        if (field->value_or("").find(kReplacement) != std::string::npos)
            return true;
    }
    for (const std::string& entry : s.databases) {
        if (entry.find(kReplacement) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const IconvTextEncoding gbk;
    static const SettingsCodec codec(gbk);

    const SettingsCodec::Read first = codec.read(std::string_view(reinterpret_cast<const char*>(data), size));
    if (first.badLine || holdsReplacement(first.settings))
        return 0;
    const Settings shown = first.settings.appliedTo({});
    const SettingsCodec::Written saved = codec.write(shown);
    // Only a file read as UTF-8 can hold text that GBK cannot; the save
    // names it, and what it wrote must still read back as written.
    const bool utf8 = std::string_view(reinterpret_cast<const char*>(data), size).substr(0, 3) == "\xEF\xBB\xBF";
    if (!saved.lossyFields.empty()) {
        if (!utf8)
            std::abort();
        const SettingsCodec::Read lossy = codec.read(saved.bytes);
        if (lossy.badLine || codec.write(lossy.settings.appliedTo({})).bytes != saved.bytes)
            std::abort();
        return 0;
    }
    const SettingsCodec::Read second = codec.read(saved.bytes);
    if (second.badLine || second.settings.appliedTo({}) != shown)
        std::abort();
    return 0;
}

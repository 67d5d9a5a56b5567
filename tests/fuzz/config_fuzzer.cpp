// Feeds arbitrary bytes to the settings reader. It must never crash or hang,
// and whatever the window would take from a file must survive a save and a
// second start unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/settings_codec.h"
#include "platform/posix/iconv_text_encoding.h"

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

// The controls' values after a start that read these settings: the initial
// values where a field is absent, the option buttons exclusive as the window
// keeps them, the list appended to an empty one.
Settings applied(const Settings& read)
{
    Settings s;
    s.server = read.server.value_or("127.0.0.1");
    s.account = read.account.value_or("sa");
    s.password = read.password.value_or("");
    s.databases = read.databases;
    s.backupFolder = read.backupFolder.value_or(" ");
    s.replaceMode = true;
    s.timeSlotMode = false;
    if (read.replaceMode) {
        s.replaceMode = *read.replaceMode;
        if (*read.replaceMode)
            s.timeSlotMode = false;
    }
    if (read.timeSlotMode) {
        s.timeSlotMode = *read.timeSlotMode;
        if (*read.timeSlotMode)
            s.replaceMode = false;
    }
    s.slotLock = 0;
    s.slot1 = read.slot1.value_or("12:00:00");
    s.slot2 = read.slot2.value_or("18:00:00");
    s.slot3 = read.slot3.value_or("03:00:00");
    return s;
}

bool holdsReplacement(const Settings& s)
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
    const Settings shown = applied(first.settings);
    const SettingsCodec::Written saved = codec.write(shown);
    // Only a file read as UTF-8 can hold text that GBK cannot; the save
    // names it, and what it wrote must still read back as written.
    const bool utf8 = std::string_view(reinterpret_cast<const char*>(data), size).substr(0, 3) == "\xEF\xBB\xBF";
    if (!saved.lossyFields.empty()) {
        if (!utf8)
            std::abort();
        const SettingsCodec::Read lossy = codec.read(saved.bytes);
        if (lossy.badLine || codec.write(applied(lossy.settings)).bytes != saved.bytes)
            std::abort();
        return 0;
    }
    const SettingsCodec::Read second = codec.read(saved.bytes);
    if (second.badLine || applied(second.settings) != shown)
        std::abort();
    return 0;
}

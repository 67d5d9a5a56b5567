#include "config/settings.h"

Settings SettingsFromFile::appliedTo(Settings s) const
{
    const auto apply = [](const std::optional<std::string>& value, std::string& field) {
        if (value)
            field = *value;
    };
    apply(server, s.server);
    apply(account, s.account);
    apply(password, s.password);
    s.databases.insert(s.databases.end(), databases.begin(), databases.end());
    apply(backupFolder, s.backupFolder);
    if (replaceMode) {
        s.replaceMode = *replaceMode;
        if (*replaceMode)
            s.timeSlotMode = false;
    }
    if (timeSlotMode) {
        s.timeSlotMode = *timeSlotMode;
        if (*timeSlotMode)
            s.replaceMode = false;
    }
    apply(slot1, s.slot1);
    apply(slot2, s.slot2);
    apply(slot3, s.slot3);
    return s;
}

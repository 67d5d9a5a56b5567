#include "catalog.h"

#include "text.h"

namespace sqlstandin {

Catalog::Catalog(const std::vector<Entry>& userDatabases, std::uint64_t systemSize) {
    const auto now = std::chrono::system_clock::now();
    std::int16_t dbid = 1;
    for (const char* name : {"master", "tempdb", "model", "msdb"})
        databases_.push_back(DatabaseInfo{name, dbid++, systemSize, now});
    for (const Entry& entry : userDatabases) {
        bool replaced = false;
        for (DatabaseInfo& existing : databases_) {
            if (text::sameName(existing.name, entry.name)) {
                existing.sizeBytes = entry.sizeBytes;
                replaced = true;
            }
        }
        if (!replaced) databases_.push_back(DatabaseInfo{entry.name, dbid++, entry.sizeBytes, now});
    }
}

const DatabaseInfo* Catalog::find(std::string_view name) const {
    const std::string key = text::collationKey(name);
    for (const DatabaseInfo& db : databases_)
        if (text::collationKey(db.name) == key) return &db;
    return nullptr;
}

}  // namespace sqlstandin

#pragma once

#include <string>

#include "service/run_record_store.h"

// The run records in a file beside the settings file. The service may not
// be allowed to make files in that folder (it is its installer's, and only
// administrators may change it), so the file is rewritten in place, once
// made by the installer; a write cut short reads as no record.
class RunRecordFile final : public RunRecordStore {
public:
    explicit RunRecordFile(std::string path) : m_path(std::move(path)) {}

    // "ondrel.runs" beside the settings file.
    static std::string besideSettings(const std::string& settingsFile);

    Loaded load() override;
    void save(const RunRecords& records) override;

private:
    std::string m_path;
};

#pragma once

#include <string>

#include "service/run_record_store.h"

class FileIo;

// The run records in a file beside the settings file. The service may not
// be allowed to make files in that folder (it is its installer's, and only
// administrators may change it), so the file is rewritten in place, once
// made by the installer; a write cut short reads as no record.
class RunRecordFile final : public RunRecordStore {
public:
    RunRecordFile(FileIo& files, std::string path) : m_files(files), m_path(std::move(path)) {}

    // The records' file in the folder of that settings file.
    static std::string besideSettings(const std::string& settingsFile);

    Loaded load() override;
    void save(const RunRecords& records) override;

private:
    FileIo& m_files;
    std::string m_path;
};

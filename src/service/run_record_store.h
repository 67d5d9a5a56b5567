#pragma once

#include <optional>
#include <string>

#include "job/run_records.h"

// Where the background runner keeps its run records from one start to the
// next.
class RunRecordStore {
public:
    struct Loaded {
        // Nothing when there is no record yet, or none that can be read.
        std::optional<RunRecords> records;
        // Why a record that is there could not be read, in the operator's words.
        std::optional<std::string> problem;
    };

    virtual ~RunRecordStore() = default;
    virtual Loaded load() = 0;
    // Throws FileIo::Error with the reason when the records could not be kept.
    virtual void save(const RunRecords& records) = 0;
};

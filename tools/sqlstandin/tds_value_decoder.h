#pragma once

#include "sql_value.h"
#include "wire_reader.h"

namespace sqlstandin {

// Reads a TYPE_INFO and the value after it, as RPC parameters carry them,
// into a SqlValue: integers stay integers, strings become UTF-8, and types
// the stand-in does no arithmetic on (dates, decimals, floats, GUIDs)
// become their usual text.
class TdsValueDecoder final {
public:
    static SqlValue read(WireReader& in);
};

}  // namespace sqlstandin

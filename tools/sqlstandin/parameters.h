#pragma once

#include "rpc_request.h"
#include "sql_value.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sqlstandin {

// The variables a parameterised statement declares (sp_executesql's
// @params, e.g. "@P1 nvarchar(4000),@P2 int") and the values bound to them.
class Parameters final {
public:
    Parameters() = default;
    // Values passed without a name bind by position in the declaration.
    static Parameters bind(std::string_view declaration, const std::vector<RpcParameter>& values);

    const SqlValue* find(std::string_view name) const;
    const std::vector<std::string>& declared() const { return declared_; }
    const std::vector<std::pair<std::string, SqlValue>>& values() const { return values_; }

private:
    std::vector<std::string> declared_;
    std::vector<std::pair<std::string, SqlValue>> values_;
};

}  // namespace sqlstandin

#include "standin_road.h"

#include "json_value.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ondrel::win32test {

StandinRoad StandinRoad::fromEnvironment()
{
    StandinRoad road;
    road.server_ = environmentVariable(L"ONDREL_STANDIN_SERVER");
    road.password_ = environmentVariable(L"ONDREL_STANDIN_PASSWORD");
    road.log_ = environmentVariable(L"ONDREL_STANDIN_LOG");
    road.backups_ = environmentVariable(L"ONDREL_STANDIN_BACKUPS");
    if (!road.up())
        ADD_FAILURE() << "no stand-in: run under CTest, whose fixture wine_road starts one";
    return road;
}

std::wstring StandinRoad::connectionString(const std::wstring& database) const
{
    return L"Driver={SQL Server};Server=" + server_ + L";Database=" + database + L";UID=sa;PWD={" + password_ + L"};";
}

std::vector<std::string> StandinRoad::statements() const
{
    std::vector<std::string> texts;
    std::ifstream in{std::filesystem::path(log_)};
    EXPECT_TRUE(in) << "cannot read the statement log " << utf8(log_);
    // Other tests use the stand-in meanwhile: a last line without its end
    // is still being written.
    for (std::string line; std::getline(in, line);) {
        if (in.eof())
            break;
        const test::JsonValue entry = test::JsonValue::parse(line);
        const std::string kind = entry.stringOr("kind");
        if (kind == "batch" || kind == "rpc")
            texts.push_back(entry.stringOr("text"));
    }
    return texts;
}

} // namespace ondrel::win32test

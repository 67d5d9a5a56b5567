#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "case_name.h"
#include "fakes/temp_folder.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"

namespace {

struct LibraryCase {
    const char* name;
    const char* bytes;
    BraceDialect dialect;
};

class DialectOfLibrary : public testing::TestWithParam<LibraryCase> {};

TEST_P(DialectOfLibrary, followsTheFreeTdsVersion)
{
    const std::string bytes = std::string("\x7f"
                                          "ELF\0\0",
                                          6)
        + GetParam().bytes + std::string("\0tail", 5);
    EXPECT_EQ(braceDialectOf(bytes), GetParam().dialect) << GetParam().bytes;
    const bool freeTds = std::string(GetParam().bytes).rfind("freetds", 0) == 0;
    EXPECT_EQ(driverKindOf(bytes).freeTds, freeTds) << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DialectOfLibrary,
    testing::Values(LibraryCase{"debian12", "freetds v1.3.17", BraceDialect::FreeTdsVerbatim},
                    LibraryCase{"last13Verbatim", "freetds v1.3.20", BraceDialect::FreeTdsVerbatim},
                    LibraryCase{"first13Standard", "freetds v1.3.21", BraceDialect::Standard},
                    LibraryCase{"later13", "freetds v1.3.100", BraceDialect::Standard},
                    LibraryCase{"debian13", "freetds v1.4.10", BraceDialect::Standard},
                    LibraryCase{"twoPartVersion", "freetds v1.2", BraceDialect::FreeTdsVerbatim},
                    LibraryCase{"old", "freetds v0.91.112", BraceDialect::FreeTdsVerbatim},
                    LibraryCase{"development", "freetds v1.5.dev.20240301", BraceDialect::Standard},
                    LibraryCase{"versionMissing", "freetds v", BraceDialect::FreeTdsVerbatim},
                    LibraryCase{"otherDriver", "Microsoft ODBC Driver 18 for SQL Server", BraceDialect::Standard},
                    LibraryCase{"noMarker", "", BraceDialect::Standard}),
    CaseName());

// The driver the tests register as "SQL Server" is found where the driver
// manager will load it from.
TEST(DriverLibrary, isFoundThroughOdbcinst)
{
    ::setenv("ODBCSYSINI", ONDREL_ODBCSYSINI_DIR, 0);
    EXPECT_EQ(driverLibraryPath("SQL Server"), ONDREL_TDSODBC_DRIVER);
    EXPECT_EQ(driverLibraryPath("No Such Driver"), "");
}

TEST(DriverLibrary, aMissingFileTellsNothing)
{
    EXPECT_EQ(driverKindOfLibrary("/nonexistent/libnothing.so"), DriverKind{});
    EXPECT_EQ(driverKindOfLibrary(""), DriverKind{});
    EXPECT_EQ(DriverKind{}.braces, BraceDialect::Unknown);
    EXPECT_EQ(findDriverLibrary("libnothing-of-that-name.so"), "");
    EXPECT_EQ(findDriverLibrary("/nonexistent/libnothing.so"), "");
}

// A name with a folder is the file itself, a relative one from the working
// folder, as the driver manager opens it.
TEST(DriverLibrary, aPathIsTheFileItNames)
{
    TempFolder temp;
    const auto previous = std::filesystem::current_path();
    std::ofstream(temp.path() / "libdriver.so") << "x";
    std::filesystem::current_path(temp.path());
    const auto found = findDriverLibrary("./libdriver.so");
    std::filesystem::current_path(previous);
    EXPECT_EQ(found, std::filesystem::canonical(temp.path() / "libdriver.so"));
    EXPECT_EQ(findDriverLibrary((temp.path() / "libdriver.so").string()), found);
}

void writeLibrary(const std::filesystem::path& path, const std::string& version)
{
    std::ofstream(path, std::ios::binary) << std::string("\x7f"
                                                         "ELF\0\0",
                                                         6)
                                          << version << std::string("\0tail", 5);
}

// The answer is kept between connections, but never past a change of the file.
TEST(DriverLibrary, aReplacedOrRewrittenLibraryIsReadAgain)
{
    TempFolder temp;
    const auto library = temp.path() / "libtdsodbc.so";
    writeLibrary(library, "freetds v1.3.17");
    EXPECT_EQ(braceDialectOfLibrary(library), BraceDialect::FreeTdsVerbatim);
    EXPECT_EQ(braceDialectOfLibrary(library), BraceDialect::FreeTdsVerbatim);

    // An upgrade puts a new file in its place.
    writeLibrary(temp.path() / "new.so", "freetds v1.4.10");
    std::filesystem::rename(temp.path() / "new.so", library);
    EXPECT_EQ(braceDialectOfLibrary(library), BraceDialect::Standard);

    // Written over in place.
    writeLibrary(library, "freetds v1.2");
    EXPECT_EQ(braceDialectOfLibrary(library), BraceDialect::FreeTdsVerbatim);

    writeLibrary(temp.path() / "other.so", "freetds v1.3.21");
    EXPECT_EQ(braceDialectOfLibrary(temp.path() / "other.so"), BraceDialect::Standard);
    EXPECT_EQ(braceDialectOfLibrary(library), BraceDialect::FreeTdsVerbatim);
}

} // namespace

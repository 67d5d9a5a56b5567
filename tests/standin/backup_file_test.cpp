#include "backup_inspector.h"
#include "backup_set_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace sqlstandin;
namespace fs = std::filesystem;

namespace {

class BackupFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "backupfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        file_ = dir_ / "db.bak";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeSet(const std::string& database, bool append, std::size_t bytes = 100000) {
        BackupSetHeader header;
        header.database = database;
        header.setNumber = append ? 2 : 1;
        header.dataBytes = bytes;
        BackupSetWriter writer(file_, append, header);
        std::vector<std::uint8_t> data(bytes);
        for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<std::uint8_t>(i * 7);
        writer.write(data);
        writer.finish();
    }

    void flipByte(std::uintmax_t offset) {
        std::fstream f(file_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(static_cast<std::streamoff>(offset));
        char c = 0;
        f.get(c);
        f.seekp(static_cast<std::streamoff>(offset));
        f.put(static_cast<char>(c ^ 0x01));
    }

    fs::path dir_;
    fs::path file_;
};

TEST_F(BackupFile, AppendedSetsAreListedInOrderAndVerified) {
    writeSet("Sales", false);
    writeSet("销售", true);
    const Inspection result = BackupInspector::inspect(file_);
    ASSERT_TRUE(result.allGood()) << result.problem;
    ASSERT_EQ(result.sets.size(), 2u);
    EXPECT_EQ(result.sets[0].database, "Sales");
    EXPECT_EQ(result.sets[1].database, "销售");
    EXPECT_EQ(result.sets[1].number, 2u);
    EXPECT_EQ(result.sets[0].dataBytes, 100000u);
}

TEST_F(BackupFile, AFlippedDataByteFailsTheChecksum) {
    writeSet("Sales", false);
    flipByte(fs::file_size(file_) / 2);
    const Inspection result = BackupInspector::inspect(file_);
    ASSERT_EQ(result.sets.size(), 1u);
    EXPECT_FALSE(result.sets[0].checksumOk);
    EXPECT_FALSE(result.allGood());
}

TEST_F(BackupFile, AFlippedHeaderByteIsADamagedSet) {
    writeSet("Sales", false);
    flipByte(20);
    EXPECT_FALSE(BackupInspector::inspect(file_).allGood());
}

TEST_F(BackupFile, ATruncatedSetIsReported) {
    writeSet("Sales", false);
    fs::resize_file(file_, fs::file_size(file_) - 10);
    const Inspection result = BackupInspector::inspect(file_);
    EXPECT_FALSE(result.allGood());
    EXPECT_NE(result.problem.find("truncated"), std::string::npos);
}

TEST_F(BackupFile, OtherFilesAreNotBackups) {
    std::ofstream(file_) << "hello, this is text";
    EXPECT_EQ(BackupInspector::inspect(file_).problem, "not a backup file");
    std::ofstream(file_, std::ios::trunc).flush();
    EXPECT_FALSE(BackupInspector::inspect(file_).allGood());
}

TEST_F(BackupFile, AnAbandonedNewSetLeavesNoFile) {
    {
        BackupSetHeader header;
        header.database = "Sales";
        BackupSetWriter writer(file_, false, header);
        writer.write(std::vector<std::uint8_t>(5000, 1));
        writer.abandon();
    }
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(BackupFile, AnAbandonedAppendLeavesTheEarlierSetsIntact) {
    writeSet("Sales", false);
    const auto before = fs::file_size(file_);
    {
        BackupSetHeader header;
        header.database = "Sales";
        BackupSetWriter writer(file_, true, header);
        writer.write(std::vector<std::uint8_t>(5000, 1));
    }   // destroyed unfinished
    EXPECT_EQ(fs::file_size(file_), before);
    EXPECT_TRUE(BackupInspector::inspect(file_).allGood());
}

TEST_F(BackupFile, OpeningInAMissingFolderReportsTheSystemError) {
    BackupSetHeader header;
    try {
        BackupSetWriter writer(dir_ / "missing" / "x.bak", false, header);
        FAIL();
    } catch (const BackupFileError& e) {
        EXPECT_TRUE(e.opening());
        EXPECT_EQ(e.error(), ENOENT);
    }
}

}  // namespace

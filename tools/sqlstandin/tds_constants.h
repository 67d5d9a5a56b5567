#pragma once

#include <cstddef>
#include <cstdint>

// Numbers from the TDS protocol (MS-TDS) that the stand-in uses.
namespace sqlstandin::tds {

enum PacketType : std::uint8_t {
    kSqlBatch = 0x01,
    kRpc = 0x03,
    kReply = 0x04,
    kAttention = 0x06,
    kTransactionManager = 0x0E,
    kLogin7 = 0x10,
    kPrelogin = 0x12,
};

constexpr std::uint8_t kStatusEndOfMessage = 0x01;
constexpr std::size_t kHeaderSize = 8;
constexpr std::uint32_t kDefaultPacketSize = 4096;
constexpr std::uint32_t kMaxPacketSize = 32767;

enum Token : std::uint8_t {
    kReturnStatus = 0x79,
    kColMetadata = 0x81,
    kError = 0xAA,
    kInfo = 0xAB,
    kReturnValue = 0xAC,
    kLoginAck = 0xAD,
    kRow = 0xD1,
    kEnvChange = 0xE3,
    kDone = 0xFD,
    kDoneProc = 0xFE,
    kDoneInProc = 0xFF,
};

enum DoneStatus : std::uint16_t {
    kDoneFinal = 0x0000,
    kDoneMore = 0x0001,
    kDoneError = 0x0002,
    kDoneInTransaction = 0x0004,
    kDoneCount = 0x0010,
    kDoneAttention = 0x0020,
};

enum EnvChange : std::uint8_t {
    kEnvDatabase = 1,
    kEnvLanguage = 2,
    kEnvPacketSize = 4,
    kEnvCollation = 7,
    kEnvBeginTransaction = 8,
    kEnvCommitTransaction = 9,
    kEnvRollbackTransaction = 10,
};

// Command codes in DONE tokens, as the server reports them.
constexpr std::uint16_t kCurCmdSelect = 0xC1;
constexpr std::uint16_t kCurCmdSet = 0xB9;
constexpr std::uint16_t kCurCmdUse = 0xBF;
constexpr std::uint16_t kCurCmdBackup = 0xE5;

// TDS versions as LOGIN7 and LOGINACK carry them.
constexpr std::uint32_t kTds74 = 0x74000004;

inline bool atLeast72(std::uint32_t version) { return (version >> 24) >= 0x72; }

// SQL_Latin1_General_CP1_CI_AS, the default server collation.
constexpr std::uint8_t kCollation[5] = {0x09, 0x04, 0xD0, 0x00, 0x34};

}  // namespace sqlstandin::tds

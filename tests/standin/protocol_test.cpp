// What the drivers hide: packet sizes and boundaries, PRELOGIN and LOGINACK
// fields, the reply to an ATTENTION.

#include "raw_tds_client.h"
#include "standin_server.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool containsBytes(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// The four bytes after a LOGINACK token's interface byte: the TDS version.
std::uint32_t loginAckVersion(const Bytes& reply) {
    for (std::size_t i = 0; i + 8 < reply.size(); ++i)
        if (reply[i] == 0xAD && reply[i + 3] == 0x01)
            return static_cast<std::uint32_t>(reply[i + 4]) << 24 | static_cast<std::uint32_t>(reply[i + 5]) << 16 |
                   static_cast<std::uint32_t>(reply[i + 6]) << 8 | reply[i + 7];
    return 0;
}

Bytes envChangePacketSize(const std::string& size) {
    Bytes b = {0x04, static_cast<std::uint8_t>(size.size())};
    for (char c : size) b.insert(b.end(), {static_cast<std::uint8_t>(c), 0});
    return b;
}

TEST(StandinProtocol, PreloginRefusesEncryptionAndMars) {
    StandinServer server;
    RawTdsClient client(server.port());
    client.send(0x12, RawTdsClient::prelogin());
    const auto packets = client.receive();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].type, 0x04);
    const Bytes& body = packets[0].body;
    std::uint8_t encryption = 0xFF;
    std::uint8_t mars = 0xFF;
    for (std::size_t i = 0; i + 4 < body.size() && body[i] != 0xFF; i += 5) {
        const std::size_t offset = static_cast<std::size_t>(body[i + 1] << 8 | body[i + 2]);
        if (body[i] == 0x01) encryption = body.at(offset);
        if (body[i] == 0x04) mars = body.at(offset);
    }
    EXPECT_EQ(encryption, 0x02);
    EXPECT_EQ(mars, 0x00);
}

struct Version {
    std::uint32_t client;
    std::uint32_t answered;
};

void PrintTo(const Version& v, std::ostream* os) { *os << std::hex << v.client; }

class LoginAckVersion : public ::testing::TestWithParam<Version> {};

TEST_P(LoginAckVersion, EchoesTheClientUpToTds74) {
    StandinServer server;
    RawTdsClient client(server.port());
    client.send(0x10, RawTdsClient::login7("sa", "Secret#1", "", GetParam().client, 4096));
    const Bytes reply = RawTdsClient::joined(client.receive());
    EXPECT_EQ(loginAckVersion(reply), GetParam().answered);
}

INSTANTIATE_TEST_SUITE_P(Standin, LoginAckVersion,
                         ::testing::Values(Version{0x71000001, 0x71000001}, Version{0x72090002, 0x72090002},
                                           Version{0x730B0003, 0x730B0003}, Version{0x74000004, 0x74000004},
                                           Version{0x75000000, 0x74000004}));

TEST(StandinProtocol, RepliesInPacketsNoLargerThanNegotiated) {
    StandinOptions options;
    for (int i = 0; i < 40; ++i) options.databases.push_back("Database_" + std::to_string(i));
    StandinServer server(options);
    RawTdsClient client(server.port());
    client.send(0x12, RawTdsClient::prelogin());
    client.receive();
    client.send(0x10, RawTdsClient::login7("sa", "Secret#1", "", 0x74000004, 512));
    EXPECT_TRUE(containsBytes(RawTdsClient::joined(client.receive()), envChangePacketSize("512")));

    // The request itself goes in 64-byte packets and must be read whole.
    client.send(0x01, RawTdsClient::batch("select * from master.dbo.sysdatabases"), 64);
    const auto packets = client.receive();
    ASSERT_GT(packets.size(), 3u);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        EXPECT_LE(packets[i].body.size() + 8, 512u);
        EXPECT_EQ(packets[i].status & 0x01, i + 1 == packets.size() ? 1 : 0);
    }
    const Bytes reply = RawTdsClient::joined(packets);
    // The final DONE: count bit, SELECT, 44 rows.
    const Bytes done = {0xFD, 0x10, 0x00, 0xC1, 0x00, 44, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(done.begin(), done.end(), reply.end() - static_cast<std::ptrdiff_t>(done.size())));
}

// Token and number of each part of a reply made of length-prefixed tokens
// (ENVCHANGE type, message number) and DONE.
std::vector<std::pair<std::uint8_t, std::uint32_t>> tokenSequence(const Bytes& reply) {
    std::vector<std::pair<std::uint8_t, std::uint32_t>> out;
    for (std::size_t i = 0; i < reply.size();) {
        const std::uint8_t token = reply[i];
        if (token == 0xFD) {
            out.emplace_back(token, static_cast<std::uint32_t>(reply[i + 1] | reply[i + 2] << 8));
            i += 13;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(reply[i + 1] | reply[i + 2] << 8);
        std::uint32_t detail = reply[i + 3];
        if (token == 0xAA || token == 0xAB)
            detail = static_cast<std::uint32_t>(reply[i + 3] | reply[i + 4] << 8 | reply[i + 5] << 16 | reply[i + 6] << 24);
        out.emplace_back(token, detail);
        i += 3 + length;
    }
    return out;
}

TEST(StandinProtocol, ALoginIsAnsweredInSqlServersOrder) {
    StandinOptions options;
    options.databases = {"Sales"};
    StandinServer server(options);
    RawTdsClient client(server.port());
    client.send(0x10, RawTdsClient::login7("sa", "Secret#1", "Sales", 0x74000004, 8192));
    const std::vector<std::pair<std::uint8_t, std::uint32_t>> expected = {
        {0xE3, 1}, {0xAB, 5701}, {0xE3, 7}, {0xE3, 2}, {0xAB, 5703}, {0xAD, 1}, {0xE3, 4}, {0xFD, 0}};
    const Bytes reply = RawTdsClient::joined(client.receive());
    EXPECT_EQ(tokenSequence(reply), expected);
    EXPECT_TRUE(containsBytes(reply, envChangePacketSize("8192")));

    RawTdsClient refused(server.port());
    refused.send(0x10, RawTdsClient::login7("sa", "Secret#1", "Nowhere", 0x74000004, 4096));
    EXPECT_EQ(tokenSequence(RawTdsClient::joined(refused.receive())),
              (std::vector<std::pair<std::uint8_t, std::uint32_t>>{{0xAA, 4060}, {0xAA, 18456}, {0xFD, 2}}));
}

TEST(StandinProtocol, AnAttentionIsAnsweredWithTheAttentionBit) {
    StandinServer server;
    RawTdsClient client(server.port());
    client.send(0x10, RawTdsClient::login7("sa", "Secret#1", "", 0x74000004, 4096));
    client.receive();
    client.send(0x06, {});
    EXPECT_EQ(RawTdsClient::joined(client.receive()), (Bytes{0xFD, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(server.log().back().kind, "attention");
}

TEST(StandinProtocol, AFailedLoginEndsWithTheErrorBitAndAClosedConnection) {
    StandinServer server;
    RawTdsClient client(server.port());
    client.send(0x10, RawTdsClient::login7("sa", "wrong", "", 0x74000004, 4096));
    const Bytes reply = RawTdsClient::joined(client.receive());
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply[0], 0xAA);
    const Bytes done = {0xFD, 0x02, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(done.begin(), done.end(), reply.end() - static_cast<std::ptrdiff_t>(done.size())));
    EXPECT_TRUE(client.receive().empty());
}

}  // namespace

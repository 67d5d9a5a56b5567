#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A bare TDS client on a socket, for what no driver lets a test see:
// packet sizes and boundaries, and the exact tokens of a reply.
class RawTdsClient final {
public:
    struct Packet {
        std::uint8_t type = 0;
        std::uint8_t status = 0;
        std::vector<std::uint8_t> body;
    };

    explicit RawTdsClient(int port);
    ~RawTdsClient();
    RawTdsClient(const RawTdsClient&) = delete;
    RawTdsClient& operator=(const RawTdsClient&) = delete;

    // Splits the payload into packets of at most packetSize bytes.
    void send(std::uint8_t type, const std::vector<std::uint8_t>& payload, std::size_t packetSize = 4096);
    // Packets up to and including the one marked end-of-message; empty if
    // the server closed the connection first.
    std::vector<Packet> receive();

    static std::vector<std::uint8_t> prelogin();
    static std::vector<std::uint8_t> login7(const std::string& user, const std::string& password,
                                            const std::string& database, std::uint32_t tdsVersion,
                                            std::uint32_t packetSize);
    // A SQL batch with the ALL_HEADERS block TDS 7.2 and later require.
    static std::vector<std::uint8_t> batch(const std::string& sql);
    static std::vector<std::uint8_t> joined(const std::vector<Packet>& packets);

private:
    bool readExactly(std::uint8_t* into, std::size_t count);

    int fd_ = -1;
};

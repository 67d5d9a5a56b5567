#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sqlstandin {

struct TdsMessage {
    std::uint8_t type = 0;
    std::vector<std::uint8_t> payload;
    std::chrono::system_clock::time_point arrived;   // when its first packet came in
};

enum class Interruption { None, Attention, Hangup };

// TDS packets over one TCP connection: whole messages in (however many
// packets they span), replies out in packets no larger than negotiated.
class PacketChannel final {
public:
    explicit PacketChannel(int fd) : fd_(fd) {}

    // Nothing when the client hung up or the connection broke.
    std::optional<TdsMessage> receive();
    // Parts of one reply may go out as they are ready; the last carries
    // endOfMessage. False when the connection is gone.
    bool send(std::uint8_t type, std::span<const std::uint8_t> data, bool endOfMessage);
    // While a request runs: waits up to timeout for an ATTENTION or hang-up.
    Interruption watch(std::chrono::milliseconds timeout);

    void setPacketSize(std::uint32_t size) { packetSize_ = size; }
    void setSpid(std::uint16_t spid) { spid_ = spid; }

private:
    bool fill(std::size_t wanted);
    std::optional<Interruption> scanBuffered();

    int fd_;
    std::vector<std::uint8_t> in_;
    std::size_t inPos_ = 0;
    std::uint32_t packetSize_ = 4096;
    std::uint16_t spid_ = 0;
    std::uint8_t packetId_ = 1;
    bool inReply_ = false;
};

}  // namespace sqlstandin

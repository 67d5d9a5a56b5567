#include "packet_channel.h"

#include "protocol_error.h"
#include "tds_constants.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace sqlstandin {
namespace {

constexpr std::size_t kMaxMessage = 64u << 20;

std::size_t packetLength(const std::uint8_t* header) { return static_cast<std::size_t>((header[2] << 8) | header[3]); }

}  // namespace

bool PacketChannel::fill(std::size_t wanted) {
    if (inPos_ > 0 && inPos_ == in_.size()) {
        in_.clear();
        inPos_ = 0;
    }
    while (in_.size() - inPos_ < wanted) {
        std::uint8_t chunk[16384];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        in_.insert(in_.end(), chunk, chunk + n);
    }
    return true;
}

std::optional<TdsMessage> PacketChannel::receive() {
    TdsMessage message;
    bool first = true;
    for (;;) {
        if (!fill(tds::kHeaderSize)) return std::nullopt;
        if (first) message.arrived = std::chrono::system_clock::now();
        const std::uint8_t* header = in_.data() + inPos_;
        const std::size_t length = packetLength(header);
        if (length < tds::kHeaderSize) throw ProtocolError("packet shorter than its header");
        const std::uint8_t type = header[0];
        const std::uint8_t status = header[1];
        if (!fill(length)) return std::nullopt;
        if (first) message.type = type;
        first = false;
        const std::uint8_t* body = in_.data() + inPos_ + tds::kHeaderSize;
        message.payload.insert(message.payload.end(), body, body + (length - tds::kHeaderSize));
        inPos_ += length;
        if (message.payload.size() > kMaxMessage) throw ProtocolError("message too large");
        if (status & tds::kStatusEndOfMessage) return message;
    }
}

bool PacketChannel::send(std::uint8_t type, std::span<const std::uint8_t> data, bool endOfMessage) {
    if (!inReply_) packetId_ = 1;
    const std::size_t room = packetSize_ - tds::kHeaderSize;
    std::vector<std::uint8_t> packet;
    do {
        const std::size_t take = std::min(room, data.size());
        const bool last = take == data.size();
        if (last && take == 0 && !endOfMessage) break;
        const std::size_t length = take + tds::kHeaderSize;
        packet.assign({type, static_cast<std::uint8_t>(last && endOfMessage ? tds::kStatusEndOfMessage : 0),
                       static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                       static_cast<std::uint8_t>(spid_ >> 8), static_cast<std::uint8_t>(spid_), packetId_++, 0});
        packet.insert(packet.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
        for (std::size_t sent = 0; sent < packet.size();) {
            const ssize_t n = ::send(fd_, packet.data() + sent, packet.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        if (last) break;
    } while (true);
    inReply_ = !endOfMessage;
    return true;
}

// Looks through complete packets already read; an ATTENTION ends the wait.
// Anything else a client sends mid-request breaks the protocol and is dropped.
std::optional<Interruption> PacketChannel::scanBuffered() {
    while (in_.size() - inPos_ >= tds::kHeaderSize) {
        const std::uint8_t* header = in_.data() + inPos_;
        const std::size_t length = packetLength(header);
        if (length < tds::kHeaderSize) throw ProtocolError("packet shorter than its header");
        if (in_.size() - inPos_ < length) break;
        inPos_ += length;
        if (header[0] == tds::kAttention) return Interruption::Attention;
    }
    return std::nullopt;
}

Interruption PacketChannel::watch(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto found = scanBuffered()) return *found;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Interruption::Hangup;
        if (ready == 0) return Interruption::None;
        std::uint8_t chunk[4096];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Interruption::Hangup;
        in_.insert(in_.end(), chunk, chunk + n);
    }
}

}  // namespace sqlstandin

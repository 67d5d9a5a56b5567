#include "raw_tds_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// ASCII and the Basic Multilingual Plane are all these tests send.
std::vector<std::uint8_t> ucs2(const std::string& utf8) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned cp = c;
        int extra = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (extra == 2 ? 0x0Fu : 0x1Fu);
        ++i;
        for (int k = 0; k < extra; ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3Fu);
        put16(out, cp);
    }
    return out;
}

}  // namespace

RawTdsClient::RawTdsClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        throw std::runtime_error("cannot connect");
    }
    timeval timeout{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

RawTdsClient::~RawTdsClient() { ::close(fd_); }

void RawTdsClient::send(std::uint8_t type, const std::vector<std::uint8_t>& payload, std::size_t packetSize) {
    const std::size_t room = packetSize - 8;
    std::size_t at = 0;
    std::uint8_t id = 1;
    do {
        const std::size_t take = std::min(room, payload.size() - at);
        const bool last = at + take == payload.size();
        const std::size_t length = take + 8;
        std::vector<std::uint8_t> packet = {type, static_cast<std::uint8_t>(last ? 1 : 0),
                                            static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                                            0, 0, id++, 0};
        packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                      payload.begin() + static_cast<std::ptrdiff_t>(at + take));
        if (::send(fd_, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
            throw std::runtime_error("send failed");
        at += take;
    } while (at < payload.size());
}

bool RawTdsClient::readExactly(std::uint8_t* into, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::recv(fd_, into, count, 0);
        if (n <= 0) return false;
        into += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<RawTdsClient::Packet> RawTdsClient::receive() {
    std::vector<Packet> packets;
    for (;;) {
        std::uint8_t header[8];
        if (!readExactly(header, 8)) return {};
        Packet p;
        p.type = header[0];
        p.status = header[1];
        const std::size_t length = static_cast<std::size_t>((header[2] << 8) | header[3]);
        if (length < 8) return {};
        p.body.resize(length - 8);
        if (!readExactly(p.body.data(), p.body.size())) return {};
        packets.push_back(std::move(p));
        if (packets.back().status & 0x01) return packets;
    }
}

std::vector<std::uint8_t> RawTdsClient::prelogin() {
    // VERSION, ENCRYPTION (off), INSTOPT, THREADID, MARS, as FreeTDS sends them.
    return {0x00, 0x00, 0x1A, 0x00, 0x06, 0x01, 0x00, 0x20, 0x00, 0x01, 0x02, 0x00, 0x21, 0x00, 0x01,
            0x03, 0x00, 0x22, 0x00, 0x04, 0x04, 0x00, 0x26, 0x00, 0x01, 0xFF, 9,    0,    0,    0,
            0,    0,    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

std::vector<std::uint8_t> RawTdsClient::login7(const std::string& user, const std::string& password,
                                               const std::string& database, std::uint32_t tdsVersion,
                                               std::uint32_t packetSize) {
    constexpr std::size_t kFixed = 94;
    std::vector<std::uint8_t> secret = ucs2(password);
    for (std::uint8_t& b : secret) b = static_cast<std::uint8_t>(((b << 4) | (b >> 4)) ^ 0xA5);
    // host, user, password, app, server, (extension), library, language, database
    const std::vector<std::vector<std::uint8_t>> fields = {ucs2("testhost"), ucs2(user), secret, ucs2("raw"),
                                                           ucs2("standin"), {}, ucs2("raw"), {}, ucs2(database)};
    std::vector<std::uint8_t> out;
    put32(out, 0);   // patched below
    put32(out, tdsVersion);
    put32(out, packetSize);
    put32(out, 7);
    put32(out, 1234);
    put32(out, 0);
    out.insert(out.end(), {0xE0, 0x03, 0x00, 0x00});
    put32(out, 0);
    put32(out, 0x0409);
    std::vector<std::uint8_t> data;
    for (const auto& field : fields) {
        put16(out, kFixed + data.size());
        put16(out, field.size() / 2);
        data.insert(data.end(), field.begin(), field.end());
    }
    out.insert(out.end(), 6, 0);   // client id
    for (int i = 0; i < 3; ++i) {  // SSPI, attach file, change password: empty
        put16(out, kFixed + data.size());
        put16(out, 0);
    }
    put32(out, 0);
    out.insert(out.end(), data.begin(), data.end());
    const auto total = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(total >> (8 * i));
    return out;
}

std::vector<std::uint8_t> RawTdsClient::batch(const std::string& sql) {
    std::vector<std::uint8_t> out;
    put32(out, 22);   // ALL_HEADERS: one transaction descriptor header
    put32(out, 18);
    put16(out, 2);
    out.insert(out.end(), 8, 0);
    put32(out, 1);
    const auto text = ucs2(sql);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

std::vector<std::uint8_t> RawTdsClient::joined(const std::vector<Packet>& packets) {
    std::vector<std::uint8_t> out;
    for (const Packet& p : packets) out.insert(out.end(), p.body.begin(), p.body.end());
    return out;
}

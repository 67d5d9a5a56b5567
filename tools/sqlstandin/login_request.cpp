#include "login_request.h"

#include "protocol_error.h"
#include "text.h"
#include "wire_reader.h"

#include <vector>

namespace sqlstandin {
namespace {

constexpr std::size_t kFixedPart = 86;

std::string field(std::span<const std::uint8_t> payload, std::size_t offsetAt) {
    WireReader at(payload.subspan(offsetAt, 4));
    const std::size_t offset = at.u16();
    const std::size_t chars = at.u16();
    if (chars == 0) return {};
    if (offset + chars * 2 > payload.size()) throw ProtocolError("LOGIN7 field outside the message");
    return text::utf16leToUtf8(payload.data() + offset, chars * 2);
}

}  // namespace

LoginRequest LoginRequest::parse(std::span<const std::uint8_t> payload) {
    if (payload.size() < kFixedPart) throw ProtocolError("LOGIN7 too short");
    WireReader in(payload);
    LoginRequest login;
    in.u32();   // total length
    login.tdsVersion = in.u32();
    login.packetSize = in.u32();
    in.skip(12);   // client program version, process id, connection id
    in.u8();
    const std::uint8_t optionFlags2 = in.u8();
    login.integratedSecurity = (optionFlags2 & 0x80) != 0;

    login.hostName = field(payload, 36);
    login.user = field(payload, 40);
    login.appName = field(payload, 48);
    login.database = field(payload, 68);

    // The password travels with each byte's nibbles swapped and XORed with 0xA5.
    WireReader at(payload.subspan(44, 4));
    const std::size_t offset = at.u16();
    const std::size_t chars = at.u16();
    if (offset + chars * 2 > payload.size()) throw ProtocolError("LOGIN7 password outside the message");
    std::vector<std::uint8_t> clear(chars * 2);
    for (std::size_t i = 0; i < clear.size(); ++i) {
        const std::uint8_t b = payload[offset + i] ^ 0xA5;
        clear[i] = static_cast<std::uint8_t>((b << 4) | (b >> 4));
    }
    login.password = text::utf16leToUtf8(clear.data(), clear.size());
    return login;
}

}  // namespace sqlstandin

#include "backup_set_header.h"

#include "crc32.h"
#include "protocol_error.h"
#include "wire_reader.h"
#include "wire_writer.h"

#include <cstring>

namespace sqlstandin {

const char BackupSetHeader::kSetMagic[kMagicSize + 1] = "SSBKSET1";
const char BackupSetHeader::kEndMagic[kMagicSize + 1] = "SSBKEND1";

std::vector<std::uint8_t> BackupSetHeader::encode() const {
    WireWriter w;
    w.raw(std::span(reinterpret_cast<const std::uint8_t*>(kSetMagic), kMagicSize));
    w.u32(static_cast<std::uint32_t>(kFixedSize + database.size()));
    w.u32(setNumber);
    w.u64(startMs);
    w.u64(dataBytes);
    w.u32(dataPages);
    w.u32(logPages);
    w.u16(static_cast<std::uint16_t>(database.size()));
    w.raw(std::span(reinterpret_cast<const std::uint8_t*>(database.data()), database.size()));
    Crc32 crc;
    crc.update(w.bytes());
    w.u32(crc.value());
    return w.take();
}

std::optional<std::uint32_t> BackupSetHeader::sizeFromPrefix(std::span<const std::uint8_t> prefix) {
    if (prefix.size() < kMagicSize + 4 || std::memcmp(prefix.data(), kSetMagic, kMagicSize) != 0) return std::nullopt;
    WireReader r(prefix.subspan(kMagicSize, 4));
    const std::uint32_t size = r.u32();
    if (size < kFixedSize || size > kFixedSize + 65535) return std::nullopt;
    return size;
}

std::optional<BackupSetHeader> BackupSetHeader::decode(std::span<const std::uint8_t> bytes) {
    const auto size = sizeFromPrefix(bytes);
    if (!size || bytes.size() != *size) return std::nullopt;
    try {
        WireReader r(bytes.subspan(kMagicSize + 4));
        BackupSetHeader h;
        h.setNumber = r.u32();
        h.startMs = r.u64();
        h.dataBytes = r.u64();
        h.dataPages = r.u32();
        h.logPages = r.u32();
        const auto name = r.bytes(r.u16());
        h.database.assign(name.begin(), name.end());
        const std::uint32_t stored = r.u32();
        if (!r.atEnd()) return std::nullopt;
        Crc32 crc;
        crc.update(bytes.first(bytes.size() - 4));
        if (crc.value() != stored) return std::nullopt;
        return h;
    } catch (const ProtocolError&) {
        return std::nullopt;
    }
}

std::vector<std::uint8_t> BackupSetHeader::encodeTrailer(std::uint64_t dataBytes, std::uint32_t crc) {
    WireWriter w;
    w.raw(std::span(reinterpret_cast<const std::uint8_t*>(kEndMagic), kMagicSize));
    w.u64(dataBytes);
    w.u32(crc);
    return w.take();
}

}  // namespace sqlstandin

#include "backup_inspector.h"

#include "backup_set_header.h"
#include "crc32.h"
#include "timestamps.h"
#include "wire_reader.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <fstream>

namespace sqlstandin {

Inspection BackupInspector::inspect(const std::filesystem::path& file) {
    Inspection result;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.problem = "cannot open " + file.string();
        return result;
    }
    std::vector<std::uint8_t> buffer(1 << 16);
    for (;;) {
        std::array<std::uint8_t, BackupSetHeader::kMagicSize + 4> prefix{};
        in.read(reinterpret_cast<char*>(prefix.data()), prefix.size());
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        const std::string where = "set " + std::to_string(result.sets.size() + 1) + ": ";
        const auto headerSize = BackupSetHeader::sizeFromPrefix(std::span(prefix).first(got));
        if (!headerSize) {
            result.problem = result.sets.empty() ? "not a backup file" : where + "not a backup set header";
            return result;
        }
        std::vector<std::uint8_t> headerBytes(*headerSize);
        std::memcpy(headerBytes.data(), prefix.data(), prefix.size());
        in.read(reinterpret_cast<char*>(headerBytes.data() + prefix.size()),
                static_cast<std::streamsize>(headerBytes.size() - prefix.size()));
        const auto header = BackupSetHeader::decode(headerBytes);
        if (!in || !header) {
            result.problem = where + "damaged header";
            return result;
        }
        Crc32 crc;
        std::uint64_t left = header->dataBytes;
        while (left > 0) {
            const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
            in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(chunk));
            if (static_cast<std::size_t>(in.gcount()) != chunk) {
                result.problem = where + "truncated";
                return result;
            }
            crc.update(std::span(buffer).first(chunk));
            left -= chunk;
        }
        std::array<std::uint8_t, BackupSetHeader::kTrailerSize> trailer{};
        in.read(reinterpret_cast<char*>(trailer.data()), trailer.size());
        if (static_cast<std::size_t>(in.gcount()) != trailer.size() ||
            std::memcmp(trailer.data(), BackupSetHeader::kEndMagic, BackupSetHeader::kMagicSize) != 0) {
            result.problem = where + "truncated";
            return result;
        }
        WireReader tail(std::span<const std::uint8_t>(trailer).subspan(BackupSetHeader::kMagicSize));
        const std::uint64_t trailerBytes = tail.u64();
        const std::uint32_t trailerCrc = tail.u32();

        InspectedSet set;
        set.number = header->setNumber;
        set.database = header->database;
        set.time = isoUtc(std::chrono::system_clock::time_point(std::chrono::milliseconds(header->startMs)));
        set.dataBytes = header->dataBytes;
        set.checksumOk = trailerBytes == header->dataBytes && trailerCrc == crc.value();
        result.sets.push_back(set);
    }
    if (result.sets.empty()) result.problem = "not a backup file";
    return result;
}

}  // namespace sqlstandin

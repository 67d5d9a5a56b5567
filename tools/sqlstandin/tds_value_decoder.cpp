#include "tds_value_decoder.h"

#include "protocol_error.h"
#include "text.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

namespace sqlstandin {
namespace {

enum class Length { Fixed, Byte, Short, Long, Plp, Date };

struct TypeInfo {
    std::uint8_t type = 0;
    Length length = Length::Fixed;
    std::uint32_t size = 0;   // fixed size, or declared maximum
    std::uint8_t scale = 0;
};

std::uint64_t littleEndian(std::span<const std::uint8_t> b) {
    std::uint64_t v = 0;
    for (std::size_t i = b.size(); i-- > 0;) v = (v << 8) | b[i];
    return v;
}

std::int64_t signExtend(std::uint64_t v, std::size_t bytes) {
    if (bytes >= 8) return static_cast<std::int64_t>(v);
    const std::uint64_t sign = 1ull << (bytes * 8 - 1);
    return static_cast<std::int64_t>((v ^ sign) - sign);
}

std::string twoDigits(long long v) {
    char b[32];
    std::snprintf(b, sizeof b, "%02lld", v);
    return b;
}

// Proleptic Gregorian date from days since 1970-01-01.
std::string civilDate(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char b[80];
    std::snprintf(b, sizeof b, "%04lld-%02lld-%02lld", year, month, day);
    return b;
}

constexpr long long kDaysFrom0001To1970 = 719162;
constexpr long long kDaysFrom1900To1970 = 25567;

std::string clockTime(long long units, int scale) {
    long long perSecond = 1;
    for (int i = 0; i < scale; ++i) perSecond *= 10;
    const long long seconds = units / perSecond;
    std::string out = twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" + twoDigits(seconds % 60);
    if (scale > 0) {
        std::string fraction = std::to_string(units % perSecond);
        out += "." + std::string(static_cast<std::size_t>(scale) - fraction.size(), '0') + fraction;
    }
    return out;
}

std::string decimalText(std::span<const std::uint8_t> data, std::uint8_t scale) {
    if (data.empty()) throw ProtocolError("empty decimal");
    const bool positive = data[0] == 1;
    std::vector<std::uint8_t> magnitude(data.begin() + 1, data.end());
    std::string digits;
    bool zero = false;
    while (!zero) {
        unsigned remainder = 0;
        zero = true;
        for (std::size_t i = magnitude.size(); i-- > 0;) {
            const unsigned cur = (remainder << 8) | magnitude[i];
            magnitude[i] = static_cast<std::uint8_t>(cur / 10);
            remainder = cur % 10;
            if (magnitude[i] != 0) zero = false;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + remainder));
    }
    while (digits.size() <= scale) digits.insert(digits.begin(), '0');
    if (scale > 0) digits.insert(digits.end() - scale, '.');
    return (positive ? "" : "-") + digits;
}

std::string floatText(double v) {
    char b[64];
    const auto [end, ec] = std::to_chars(b, b + sizeof b, v);
    return ec == std::errc() ? std::string(b, end) : std::string("?");
}

std::string moneyText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(tenThousandths) : static_cast<std::uint64_t>(tenThousandths);
    std::string fraction = std::to_string(m % 10000);
    return (negative ? "-" : "") + std::to_string(m / 10000) + "." + std::string(4 - fraction.size(), '0') + fraction;
}

std::string guidText(std::span<const std::uint8_t> g) {
    char b[40];
    std::snprintf(b, sizeof b, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", g[3], g[2], g[1],
                  g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return b;
}

TypeInfo readTypeInfo(WireReader& in) {
    TypeInfo t;
    t.type = in.u8();
    switch (t.type) {
    case 0x1F: t.size = 0; break;                                  // NULL type
    case 0x30: case 0x32: t.size = 1; break;                       // tinyint, bit
    case 0x34: t.size = 2; break;                                  // smallint
    case 0x38: case 0x3A: case 0x3B: case 0x7A: t.size = 4; break; // int, smalldatetime, real, smallmoney
    case 0x3C: case 0x3D: case 0x3E: case 0x7F: t.size = 8; break; // money, datetime, float, bigint
    case 0x24: case 0x26: case 0x68: case 0x6D: case 0x6E: case 0x6F:
    case 0x2F: case 0x27: case 0x2D: case 0x25:
        t.length = Length::Byte;
        t.size = in.u8();
        break;
    case 0x6A: case 0x6C: case 0x37: case 0x3F:                    // decimal, numeric
        t.length = Length::Byte;
        t.size = in.u8();
        in.u8();
        t.scale = in.u8();
        break;
    case 0x28: t.length = Length::Date; break;                     // date
    case 0x29: case 0x2A: case 0x2B:                               // time, datetime2, datetimeoffset
        t.length = Length::Byte;
        t.scale = in.u8();
        break;
    case 0xA5: case 0xAD:                                          // varbinary, binary
        t.size = in.u16();
        t.length = (t.size == 0xFFFF) ? Length::Plp : Length::Short;
        break;
    case 0xA7: case 0xAF: case 0xE7: case 0xEF:                    // varchar, char, nvarchar, nchar
        t.size = in.u16();
        in.skip(5);
        t.length = (t.size == 0xFFFF) ? Length::Plp : Length::Short;
        break;
    case 0x22: case 0x62:                                          // image, sql_variant
        t.length = Length::Long;
        t.size = in.u32();
        break;
    case 0x23: case 0x63:                                          // text, ntext
        t.length = Length::Long;
        t.size = in.u32();
        in.skip(5);
        break;
    case 0xF1:                                                     // xml
        if (in.u8() != 0) {
            in.bVarchar();
            in.bVarchar();
            in.usVarchar();
        }
        t.length = Length::Plp;
        break;
    default: throw ProtocolError("parameter of unsupported type " + std::to_string(t.type));
    }
    return t;
}

// Null when the value is NULL.
std::optional<std::vector<std::uint8_t>> readBytes(WireReader& in, const TypeInfo& t) {
    std::size_t size = 0;
    switch (t.length) {
    case Length::Fixed: size = t.size; break;
    case Length::Byte:
    case Length::Date:
        size = in.u8();
        if (size == 0) return std::nullopt;
        break;
    case Length::Short:
        size = in.u16();
        if (size == 0xFFFF) return std::nullopt;
        break;
    case Length::Long: {
        const std::uint32_t n = in.u32();
        if (n == 0xFFFFFFFFu || (t.type == 0x62 && n == 0)) return std::nullopt;
        size = n;
        break;
    }
    case Length::Plp: {
        const std::uint64_t total = in.u64();
        if (total == ~0ull) return std::nullopt;
        std::vector<std::uint8_t> out;
        for (;;) {
            const std::uint32_t chunk = in.u32();
            if (chunk == 0) break;
            const auto b = in.bytes(chunk);
            out.insert(out.end(), b.begin(), b.end());
        }
        return out;
    }
    }
    if (t.type == 0x1F) return std::nullopt;
    const auto b = in.bytes(size);
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

SqlValue convert(const TypeInfo& t, const std::vector<std::uint8_t>& b) {
    const std::span<const std::uint8_t> data(b);
    switch (t.type) {
    case 0x30: case 0x32: case 0x68: return SqlValue::integer(static_cast<std::int64_t>(littleEndian(data)));
    case 0x34: case 0x38: case 0x7F: case 0x26: return SqlValue::integer(signExtend(littleEndian(data), b.size()));
    case 0x3B: case 0x3E: case 0x6D:
        if (b.size() == 4) {
            const auto bits = static_cast<std::uint32_t>(littleEndian(data));
            float f = 0;
            static_assert(sizeof f == 4);
            std::memcpy(&f, &bits, 4);
            return SqlValue::text(floatText(f));
        } else {
            const std::uint64_t bits = littleEndian(data);
            double d = 0;
            std::memcpy(&d, &bits, 8);
            return SqlValue::text(floatText(d));
        }
    case 0x7A: case 0x3C: case 0x6E:
        if (b.size() == 4) return SqlValue::text(moneyText(signExtend(littleEndian(data), 4)));
        return SqlValue::text(moneyText(static_cast<std::int64_t>((littleEndian(data.first(4)) << 32) | littleEndian(data.subspan(4)))));
    case 0x3A: case 0x3D: case 0x6F:
        if (b.size() == 4) {
            const auto days = static_cast<long long>(littleEndian(data.first(2)));
            const auto minutes = static_cast<long long>(littleEndian(data.subspan(2)));
            return SqlValue::text(civilDate(days - kDaysFrom1900To1970) + " " + clockTime(minutes * 60, 0));
        } else {
            const long long days = signExtend(littleEndian(data.first(4)), 4);
            const auto ticks = static_cast<long long>(littleEndian(data.subspan(4)));
            return SqlValue::text(civilDate(days - kDaysFrom1900To1970) + " " + clockTime((ticks * 1000 + 150) / 300, 3));
        }
    case 0x28: return SqlValue::text(civilDate(static_cast<long long>(littleEndian(data)) - kDaysFrom0001To1970));
    case 0x29: return SqlValue::text(clockTime(static_cast<long long>(littleEndian(data)), t.scale));
    case 0x2A: case 0x2B: {
        const std::size_t timeBytes = b.size() - 3 - (t.type == 0x2B ? 2 : 0);
        std::string out = civilDate(static_cast<long long>(littleEndian(data.subspan(timeBytes, 3))) - kDaysFrom0001To1970) +
                          " " + clockTime(static_cast<long long>(littleEndian(data.first(timeBytes))), t.scale);
        if (t.type == 0x2B) {
            const long long offset = signExtend(littleEndian(data.subspan(timeBytes + 3, 2)), 2);
            const long long magnitude = offset < 0 ? -offset : offset;
            out += std::string(offset < 0 ? " -" : " +") + twoDigits(magnitude / 60) + ":" + twoDigits(magnitude % 60);
        }
        return SqlValue::text(out);
    }
    case 0x6A: case 0x6C: case 0x37: case 0x3F: return SqlValue::text(decimalText(data, t.scale));
    case 0x24: return b.size() == 16 ? SqlValue::text(guidText(data)) : SqlValue::binary(b);
    case 0xE7: case 0xEF: case 0x63: case 0xF1: return SqlValue::text(text::utf16leToUtf8(b.data(), b.size()));
    case 0xA7: case 0xAF: case 0x23: case 0x2F: case 0x27: return SqlValue::text(text::cp1252ToUtf8(b.data(), b.size()));
    default: return SqlValue::binary(b);
    }
}

}  // namespace

SqlValue TdsValueDecoder::read(WireReader& in) {
    const TypeInfo t = readTypeInfo(in);
    const auto bytes = readBytes(in, t);
    if (!bytes) return SqlValue();
    return convert(t, *bytes);
}

}  // namespace sqlstandin

#include "token_writer.h"

#include "tds_constants.h"
#include "text.h"

#include <utility>

namespace sqlstandin {
namespace {

constexpr std::int64_t kDaysFrom1900To1970 = 25567;
constexpr std::int64_t kMsPerDay = 86400000;

}  // namespace

TokenWriter::TokenWriter(std::uint32_t tdsVersion, std::string serverName)
    : version_(tdsVersion), serverName_(std::move(serverName)) {}

void TokenWriter::envChange(std::uint8_t type, std::string_view newValue, std::string_view oldValue) {
    out_.u8(tds::kEnvChange);
    const std::size_t lengthAt = out_.size();
    out_.u16(0);
    out_.u8(type);
    out_.bVarchar(newValue);
    out_.bVarchar(oldValue);
    out_.patchU16(lengthAt, static_cast<std::uint16_t>(out_.size() - lengthAt - 2));
}

void TokenWriter::envChangeBytes(std::uint8_t type, std::span<const std::uint8_t> newValue,
                                 std::span<const std::uint8_t> oldValue) {
    out_.u8(tds::kEnvChange);
    out_.u16(static_cast<std::uint16_t>(3 + newValue.size() + oldValue.size()));
    out_.u8(type);
    out_.bVarbyte(newValue);
    out_.bVarbyte(oldValue);
}

void TokenWriter::message(const ServerMessage& m) {
    out_.u8(m.isError() ? tds::kError : tds::kInfo);
    const std::size_t lengthAt = out_.size();
    out_.u16(0);
    out_.u32(static_cast<std::uint32_t>(m.number));
    out_.u8(m.state);
    out_.u8(m.severity);
    out_.usVarchar(m.text);
    out_.bVarchar(serverName_);
    out_.bVarchar("");
    if (tds::atLeast72(version_)) {
        out_.u32(static_cast<std::uint32_t>(m.line));
    } else {
        out_.u16(static_cast<std::uint16_t>(m.line));
    }
    out_.patchU16(lengthAt, static_cast<std::uint16_t>(out_.size() - lengthAt - 2));
}

void TokenWriter::loginAck(std::uint32_t tdsVersion) {
    out_.u8(tds::kLoginAck);
    const std::size_t lengthAt = out_.size();
    out_.u16(0);
    out_.u8(1);   // T-SQL interface
    out_.u8(static_cast<std::uint8_t>(tdsVersion >> 24));
    out_.u8(static_cast<std::uint8_t>(tdsVersion >> 16));
    out_.u8(static_cast<std::uint8_t>(tdsVersion >> 8));
    out_.u8(static_cast<std::uint8_t>(tdsVersion));
    out_.bVarchar("Microsoft SQL Server");
    // Program version 16.0.1000, as SQL Server 2022 reports itself.
    out_.u8(16);
    out_.u8(0);
    out_.u8(0x03);
    out_.u8(0xE8);
    out_.patchU16(lengthAt, static_cast<std::uint16_t>(out_.size() - lengthAt - 2));
}

void TokenWriter::done(std::uint8_t token, std::uint16_t status, std::uint16_t curCmd, std::uint64_t rowCount) {
    out_.u8(token);
    out_.u16(status);
    out_.u16(curCmd);
    if (tds::atLeast72(version_)) {
        out_.u64(rowCount);
    } else {
        out_.u32(static_cast<std::uint32_t>(rowCount));
    }
}

void TokenWriter::userType() {
    if (tds::atLeast72(version_)) {
        out_.u32(0);
    } else {
        out_.u16(0);
    }
}

void TokenWriter::typeInfo(const Column& column) {
    auto intType = [&](std::uint8_t fixedType, std::uint8_t size) {
        if (column.nullable) {
            out_.u8(0x26);
            out_.u8(size);
        } else {
            out_.u8(fixedType);
        }
    };
    switch (column.type) {
    case ColumnType::NVarChar:
        out_.u8(0xE7);
        out_.u16(static_cast<std::uint16_t>(column.maxLength * 2));
        out_.raw(tds::kCollation);
        break;
    case ColumnType::TinyInt: intType(0x30, 1); break;
    case ColumnType::SmallInt: intType(0x34, 2); break;
    case ColumnType::Int: intType(0x38, 4); break;
    case ColumnType::DateTime:
        if (column.nullable) {
            out_.u8(0x6F);
            out_.u8(8);
        } else {
            out_.u8(0x3D);
        }
        break;
    case ColumnType::VarBinary:
        out_.u8(0xA5);
        out_.u16(column.maxLength);
        break;
    }
}

void TokenWriter::value(const Column& column, const SqlValue& v) {
    auto fixed = [&](std::uint8_t size, std::uint64_t bits) {
        if (column.nullable) {
            if (v.isNull()) {
                out_.u8(0);
                return;
            }
            out_.u8(size);
        }
        for (std::uint8_t i = 0; i < size; ++i) out_.u8(static_cast<std::uint8_t>(bits >> (8 * i)));
    };
    switch (column.type) {
    case ColumnType::NVarChar: {
        if (v.isNull()) {
            out_.u16(0xFFFF);
            break;
        }
        const std::u16string units = text::utf8ToUtf16(v.display());
        const std::size_t count = units.size() > column.maxLength ? column.maxLength : units.size();
        out_.u16(static_cast<std::uint16_t>(count * 2));
        for (std::size_t i = 0; i < count; ++i) out_.u16(static_cast<std::uint16_t>(units[i]));
        break;
    }
    case ColumnType::TinyInt: fixed(1, static_cast<std::uint64_t>(v.asInteger())); break;
    case ColumnType::SmallInt: fixed(2, static_cast<std::uint64_t>(v.asInteger())); break;
    case ColumnType::Int: fixed(4, static_cast<std::uint64_t>(v.asInteger())); break;
    case ColumnType::DateTime: {
        const std::int64_t ms = v.asInteger();
        std::int64_t days = ms / kMsPerDay;
        std::int64_t msOfDay = ms % kMsPerDay;
        if (msOfDay < 0) {
            msOfDay += kMsPerDay;
            --days;
        }
        const auto ticks = static_cast<std::uint32_t>((msOfDay * 300 + 500) / 1000);
        const auto day = static_cast<std::uint32_t>(static_cast<std::int32_t>(days + kDaysFrom1900To1970));
        fixed(8, static_cast<std::uint64_t>(day) | (static_cast<std::uint64_t>(ticks) << 32));
        break;
    }
    case ColumnType::VarBinary:
        if (v.isNull()) {
            out_.u16(0xFFFF);
        } else {
            out_.u16(static_cast<std::uint16_t>(v.asBinary().size()));
            out_.raw(v.asBinary());
        }
        break;
    }
}

void TokenWriter::resultSet(const ResultSet& results) {
    out_.u8(tds::kColMetadata);
    out_.u16(static_cast<std::uint16_t>(results.columns.size()));
    for (const Column& column : results.columns) {
        userType();
        out_.u16(column.nullable ? 0x0001 : 0x0000);
        typeInfo(column);
        out_.bVarchar(column.name);
    }
    for (const auto& row : results.rows) {
        out_.u8(tds::kRow);
        for (std::size_t i = 0; i < results.columns.size(); ++i) value(results.columns[i], row.at(i));
    }
}

void TokenWriter::returnStatus(std::int32_t value) {
    out_.u8(tds::kReturnStatus);
    out_.u32(static_cast<std::uint32_t>(value));
}

void TokenWriter::returnValue(std::uint16_t ordinal, std::string_view name, std::int32_t value) {
    out_.u8(tds::kReturnValue);
    out_.u16(ordinal);
    out_.bVarchar(name);
    out_.u8(0x01);   // an output parameter
    userType();
    out_.u16(0x0001);
    out_.u8(0x26);
    out_.u8(4);
    out_.u8(4);
    out_.u32(static_cast<std::uint32_t>(value));
}

}  // namespace sqlstandin

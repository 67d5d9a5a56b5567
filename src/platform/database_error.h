#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A failure of the data-access component: the error number the operator is
// shown, and what the driver and the server said.
class DatabaseError final : public std::runtime_error {
public:
    // The component's error numbers, as the Windows data-access layer reports them.
    static constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);
    static constexpr std::int32_t kAuthFailed = static_cast<std::int32_t>(0x80040E4D);
    static constexpr std::int32_t kErrorsInCommand = static_cast<std::int32_t>(0x80040E14);
    // A connection value the driver cannot be handed intact (DB_E_ERRORSOCCURRED,
    // what the Windows layer reports for a connection property it cannot take).
    static constexpr std::int32_t kValueNotCarried = static_cast<std::int32_t>(0x80040E21);

    DatabaseError(std::int32_t number, std::string sqlState, long nativeError, const std::string& message)
        : std::runtime_error(message)
        , m_number(number)
        , m_sqlState(std::move(sqlState))
        , m_nativeError(nativeError)
    {
    }

    std::int32_t number() const { return m_number; }
    const std::string& sqlState() const { return m_sqlState; }
    long nativeError() const { return m_nativeError; }

private:
    std::int32_t m_number;
    std::string m_sqlState;
    long m_nativeError;
};

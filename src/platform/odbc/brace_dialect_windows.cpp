// How the driver reads braced values cannot be told on Windows: the "SQL
// Server" driver's reading cannot be checked here, and under Wine the driver
// behind that name is FreeTDS. Every value is written in the form that both
// readings take alike, and one that needs braces to be carried is refused
// before anything is sent.

#include "platform/odbc/brace_dialect.h"

BraceDialect braceDialectOfLibrary(const std::filesystem::path&)
{
    return BraceDialect::Unknown;
}

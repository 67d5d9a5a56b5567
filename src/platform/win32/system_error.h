#pragma once

#include <string>

// Why a file operation failed, in the operator's language.
namespace SystemError {

// The reason for a GetLastError() code: the usual ones in the program's own
// words, any other as Windows words it.
std::string reason(unsigned long code);

} // namespace SystemError

// Consistency checks: every failed check of the program goes through one handler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zirko {

// "%s (%s, line %d, address $%x)" with the address minus one in upper-case hexadecimal.
std::string FormatAssertionReport(const std::string& message, const std::string& fileName,
                                  int lineNumber, uintptr_t address);

using TAssertionHandler = std::function<void(
    const std::string& message, const std::string& fileName, int lineNumber, uintptr_t address)>;

// The installed handler; by default the report goes to standard error.
void SetAssertionHandler(TAssertionHandler handler);
void AssertionFailed(const std::string& message, const std::string& fileName, int lineNumber,
                     uintptr_t address);

// Checks a condition; a failed check is reported and the caller goes on. Returns the condition
// so that code can skip what needs the missing object.
bool CheckAssert(bool condition, const std::string& message, const char* unit, int line,
                 uintptr_t address);

} // namespace zirko

#define ZIRKO_ASSERT(cond, message, unit)                                                          \
    ::zirko::CheckAssert(static_cast<bool>(cond), (message), (unit), __LINE__,                     \
                         reinterpret_cast<uintptr_t>(__builtin_return_address(0)))

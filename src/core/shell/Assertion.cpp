#include "core/shell/Assertion.h"

#include <cstdio>
#include <iostream>

namespace zirko {

namespace {
TAssertionHandler& Handler()
{
    static TAssertionHandler handler;
    return handler;
}
} // namespace

std::string FormatAssertionReport(const std::string& message, const std::string& fileName,
                                  int lineNumber, uintptr_t address)
{
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX",
                  static_cast<unsigned long long>(address ? address - 1 : 0));
    return message + " (" + fileName + ", line " + std::to_string(lineNumber) + ", address $" +
           hex + ")";
}

void SetAssertionHandler(TAssertionHandler handler)
{
    Handler() = std::move(handler);
}

void AssertionFailed(const std::string& message, const std::string& fileName, int lineNumber,
                     uintptr_t address)
{
    if (Handler())
        Handler()(message, fileName, lineNumber, address);
    else
        std::cerr << FormatAssertionReport(message, fileName, lineNumber, address) << std::endl;
}

bool CheckAssert(bool condition, const std::string& message, const char* unit, int line,
                 uintptr_t address)
{
    if (!condition)
        AssertionFailed(message, unit, line, address);
    return condition;
}

} // namespace zirko

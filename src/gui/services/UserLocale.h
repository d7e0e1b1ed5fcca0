// The user's number format as the core's formatting routines take it.
#pragma once

#include <string>

namespace zirko {

// The decimal separator of the user's locale; "." when it is not a single ASCII character.
char UserDecimalSeparator();
// The digit-grouping character of the user's locale as UTF-8; empty when the locale groups no
// digits.
std::string UserGroupSeparator();

} // namespace zirko

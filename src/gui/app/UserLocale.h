// The user's number format as the core's formatting routines take it.
#pragma once

namespace zirko {

// The decimal separator of the user's locale; "." when it is not a single ASCII character.
char UserDecimalSeparator();

} // namespace zirko

// Where the core's formats hand the bytes they produce, chunk by chunk.
#pragma once

#include <cstddef>
#include <functional>

namespace zirko {

// Takes the next bytes of a file being produced; false when they could not be kept.
using TByteSink = std::function<bool(const char*, size_t)>;

} // namespace zirko

// Hand-made logger memory images: markers, headers and the erased end a download stops on.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zirko::test {

inline void PutWord(std::vector<uint8_t>& image, size_t at, uint16_t value)
{
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value & 0xFF);
}

// A marker and a header at `at` in an image filled with bytes that are never 0xFF.
inline void PutFlightHeader(std::vector<uint8_t>& image, size_t at, uint16_t sampling,
                            uint16_t mask)
{
    std::fill_n(image.begin() + static_cast<long>(at), 4, 0xFF);
    PutWord(image, at + 4, sampling);
    PutWord(image, at + 6, mask);
    for (size_t word = 8; word < 18; word += 2)
        PutWord(image, at + word, 0);
}

// `size` bytes of filler ending in the five erased bytes a download stops on.
inline std::vector<uint8_t> ImageWithEnd(size_t size)
{
    std::vector<uint8_t> image(size + 5, 0x11);
    std::fill(image.end() - 5, image.end(), 0xFF);
    return image;
}

inline int64_t LastIndex(const std::vector<uint8_t>& image)
{
    return static_cast<int64_t>(image.size()) - 1;
}

} // namespace zirko::test

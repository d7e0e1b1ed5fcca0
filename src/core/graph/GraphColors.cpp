#include "core/graph/GraphColors.h"

#include <algorithm>

namespace zirko {

const std::array<uint32_t, kGraphColorCount> GraphColors{
    0x0000FF, // blue
    0xFF0000, // red
    0x008000, // green
    0x808000, // olive
    0xFF00FF, // fuchsia
    0x00FF00, // lime
    0x000080, // navy
    0x800000, // maroon
    0x008080, // teal
    0xA6CAF0, // sky blue
    0x800080, // purple
    0xC0DCC0, // money green
    0xFFFF00, // yellow
    0x00FFFF, // aqua
};

uint8_t GetFirstPossibleGrafColorIndex(std::span<const uint8_t> usedIndexes)
{
    for (int i = 0; i < kGraphColorCount; ++i) {
        const auto index = static_cast<uint8_t>(i);
        if (std::find(usedIndexes.begin(), usedIndexes.end(), index) == usedIndexes.end())
            return index;
    }
    return kFreeColorIndex;
}

uint32_t GraphColorBgr(uint8_t index)
{
    if (index >= kGraphColorCount)
        return 0;
    const uint32_t rgb = GraphColors[index];
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

uint32_t ClimbColorOf(uint32_t rgb)
{
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        const uint32_t c = (rgb >> shift) & 0xFF;
        out |= ((c + 0xFF + 1) / 2) << shift;
    }
    return out;
}

} // namespace zirko

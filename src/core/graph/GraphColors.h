// The flight colours of the chart and the rule that gives each opened flight the lowest free one.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zirko {

inline constexpr int kGraphColorCount = 14;
// The colour index that asks the chart for a free colour of its own palette per series.
inline constexpr uint8_t kFreeColorIndex = 255;

// 0xRRGGBB per index.
extern const std::array<uint32_t, kGraphColorCount> GraphColors;

// The colour of a flight's climb-rate curve: its altitude colour 0xRRGGBB lightened halfway to
// white, so the two curves of one flight are told apart at a glance and still belong together.
uint32_t ClimbColorOf(uint32_t rgb);

// The lowest index 0..13 that no open flight uses for its altitude slot; 255 when all are taken.
// `usedIndexes` holds the ColorIndex of slot 0 of every open flight.
uint8_t GetFirstPossibleGrafColorIndex(std::span<const uint8_t> usedIndexes);

// The colour of index 0..13 as 0x00BBGGRR (the order a flight's colour is kept in); 0 for an index
// outside the table.
uint32_t GraphColorBgr(uint8_t index);

} // namespace zirko

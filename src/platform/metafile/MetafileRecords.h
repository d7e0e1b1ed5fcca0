// Record numbers and fixed values of the enhanced (EMF) and placeable Windows (WMF) metafiles.
#pragma once

#include <cstdint>

namespace zirko::emf {

inline constexpr uint32_t kHeader = 1;
inline constexpr uint32_t kPolygon = 3;
inline constexpr uint32_t kPolyline = 4;
inline constexpr uint32_t kEof = 14;
inline constexpr uint32_t kSetBkMode = 18;
inline constexpr uint32_t kSetPolyFillMode = 19;
inline constexpr uint32_t kSetTextAlign = 22;
inline constexpr uint32_t kSetTextColor = 24;
inline constexpr uint32_t kIntersectClipRect = 30;
inline constexpr uint32_t kSaveDc = 33;
inline constexpr uint32_t kRestoreDc = 34;
inline constexpr uint32_t kSelectObject = 37;
inline constexpr uint32_t kCreatePen = 38;
inline constexpr uint32_t kCreateBrushIndirect = 39;
inline constexpr uint32_t kDeleteObject = 40;
inline constexpr uint32_t kEllipse = 42;
inline constexpr uint32_t kRectangle = 43;
inline constexpr uint32_t kExtSelectClipRgn = 75;
inline constexpr uint32_t kStretchDiBits = 81;
inline constexpr uint32_t kExtCreateFontIndirectW = 82;
inline constexpr uint32_t kExtTextOutW = 84;
inline constexpr uint32_t kPolygon16 = 86;
inline constexpr uint32_t kPolyline16 = 87;
inline constexpr uint32_t kPolyPolygon16 = 91;
inline constexpr uint32_t kExtCreatePen = 95;

inline constexpr uint32_t kSignature = 0x464D4520; // " EMF"
inline constexpr uint32_t kVersion = 0x00010000;
inline constexpr uint32_t kStockObject = 0x80000000;
inline constexpr uint32_t kPsGeometric = 0x00010000;

} // namespace zirko::emf

namespace zirko::wmf {

inline constexpr uint16_t kEof = 0x0000;
inline constexpr uint16_t kSaveDc = 0x001E;
inline constexpr uint16_t kSetBkMode = 0x0102;
inline constexpr uint16_t kSetPolyFillMode = 0x0106;
inline constexpr uint16_t kRestoreDc = 0x0127;
inline constexpr uint16_t kSelectObject = 0x012D;
inline constexpr uint16_t kSetTextAlign = 0x012E;
inline constexpr uint16_t kDeleteObject = 0x01F0;
inline constexpr uint16_t kSetTextColor = 0x0209;
inline constexpr uint16_t kSetWindowOrg = 0x020B;
inline constexpr uint16_t kSetWindowExt = 0x020C;
inline constexpr uint16_t kCreatePenIndirect = 0x02FA;
inline constexpr uint16_t kCreateFontIndirect = 0x02FB;
inline constexpr uint16_t kCreateBrushIndirect = 0x02FC;
inline constexpr uint16_t kPolygon = 0x0324;
inline constexpr uint16_t kPolyline = 0x0325;
inline constexpr uint16_t kIntersectClipRect = 0x0416;
inline constexpr uint16_t kEllipse = 0x0418;
inline constexpr uint16_t kRectangle = 0x041B;
inline constexpr uint16_t kTextOut = 0x0521;
inline constexpr uint16_t kPolyPolygon = 0x0538;
inline constexpr uint16_t kExtTextOut = 0x0A32;
inline constexpr uint16_t kStretchDib = 0x0F43;

inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr int kPlaceableSize = 22;
inline constexpr int kHeaderWords = 9;
inline constexpr uint16_t kVersion = 0x0300;
inline constexpr uint8_t kEastEuropeCharset = 238;

} // namespace zirko::wmf

#include "core/flightdata/ZdfFile.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {
TReadResult Parse(const std::string& text, TDataBlock& f, double threshold = 0)
{
    return ParseDataFile(text, f, threshold);
}
} // namespace

TEST(ZdfReader, SmokeReadsHeaderAndData)
{
    TDataBlock f;
    auto r = Parse("<Header>\r\nd\r\n10\r\n34816\r\n0\r\n0\r\n0\r\n0\r\n0\r\n</Header>\r\n<Data>\r\n"
                   "1.5,,7\r\n</Data>\r\n", f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(r.Count, 1);
    EXPECT_DOUBLE_EQ(f.Time[0], 1.5);
    EXPECT_DOUBLE_EQ(f.Altitude[0], 0);
    EXPECT_DOUBLE_EQ(f.Voltage[0], 7);
}

#include "core/shell/Assertion.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(Assertion, ReportNamesMessageUnitLineAndAddress)
{
    EXPECT_EQ(
        FormatAssertionReport("Arow<=FormMain.DataList.count-1 in GridCheck", "Data", 35, 0x4A2B3D),
        "Arow<=FormMain.DataList.count-1 in GridCheck (Data, line 35, address $4A2B3C)");
    EXPECT_EQ(FormatAssertionReport("m", "u", 1, 0), "m (u, line 1, address $0)");
}

TEST(Assertion, FailedCheckGoesThroughTheHandlerAndTheCallerGoesOn)
{
    std::vector<std::string> seen;
    SetAssertionHandler([&](const std::string& m, const std::string& f, int line, uintptr_t) {
        seen.push_back(m + "@" + f + ":" + std::to_string(line));
    });
    int after = 0;
    if (!ZIRKO_ASSERT(1 + 1 == 3, "P=nil in Test", "Data"))
        ++after;
    EXPECT_TRUE(ZIRKO_ASSERT(true, "never", "Data"));
    SetAssertionHandler(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].rfind("P=nil in Test@Data:", 0), 0u);
    EXPECT_EQ(after, 1);
}

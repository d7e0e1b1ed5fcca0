#include "core/report/PrintHeaderText.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(PrintHeaderText, NamesTheFlightsInOrderEachWithItsDate)
{
    EXPECT_EQ(PrintHeaderText({}), "");
    EXPECT_EQ(PrintHeaderText({{"Supra_1", "15.05.2026 10:00:00"}}),
              "Supra_1 (15.05.2026 10:00:00)");
    EXPECT_EQ(PrintHeaderText({{"B", "16.05.2026 8:00:00"}, {"A", ""}, {"", ""}, {"", "1.1.2026"}}),
              "B (16.05.2026 8:00:00), A, 1.1.2026");
}

TEST(PrintHeaderText, TakesTheDateAsTheFileHoldsIt)
{
    TDataBlock flight;
    // A fixed-size field padded by the logger, in the files' older code page.
    flight.DateText = std::string("15.05.2026 10:00:00 \0\0", 22);
    EXPECT_EQ(PrintedFlightOf("Supra", flight), (TPrintedFlight{"Supra", "15.05.2026 10:00:00"}));
    flight.DateText = "\x8A"
                      "e 1.5.";
    EXPECT_EQ(PrintedFlightOf("x", flight).Date, "\xC5\xA0"
                                                 "e 1.5.");
    flight.DateText.clear();
    EXPECT_EQ(PrintHeaderText({PrintedFlightOf("Supra", flight)}), "Supra");
}

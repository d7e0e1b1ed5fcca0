#include "core/logbook/FlightDate.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(FlightDate, ProgramLocaleAndIsoFormsAreRead)
{
    const std::vector<std::string> formats{std::string(kProgramDateFormat), "M/d/yy h:mm:ss AP t"};
    const TCivilSeconds expected = CivilSeconds(2026, 5, 1, 14, 3, 9);
    EXPECT_EQ(ParseFlightDate("01.05.2026 14:03:09", formats), expected);
    EXPECT_EQ(ParseFlightDate(" 01.05.2026  14:03:09 ", formats), expected);
    EXPECT_EQ(ParseFlightDate("1.5.2026 14:03:09", formats), expected);
    EXPECT_EQ(ParseFlightDate("5/1/26 2:03:09 PM CEST", formats), expected);
    EXPECT_EQ(ParseFlightDate("5/1/26 12:03:09 AM CEST", formats),
              CivilSeconds(2026, 5, 1, 0, 3, 9));
    EXPECT_EQ(ParseFlightDate("2026-05-01T14:03:09", formats), expected);
    EXPECT_EQ(ParseFlightDate("2026-05-01 14:03", formats), CivilSeconds(2026, 5, 1, 14, 3));
    EXPECT_EQ(ParseFlightDate("2026-05-01", {}), CivilSeconds(2026, 5, 1));
    EXPECT_EQ(FormatCivil(expected), "2026-05-01 14:03:09");
    EXPECT_EQ(FormatCivil(CivilSeconds(1969, 12, 31, 23, 59, 59)), "1969-12-31 23:59:59");
}

TEST(FlightDate, TextsThatAreNoValidDateStayUnread)
{
    const std::vector<std::string> formats{std::string(kProgramDateFormat)};
    for (const char* text : {"", "yesterday", "31.02.2026 10:00:00", "01.05.2026 24:00:00",
                             "01.05.2026 14:03:09 extra", "1.5.2026", "2026-13-01"})
        EXPECT_FALSE(ParseFlightDate(text, formats)) << text;
    EXPECT_EQ(ParseFlightDate("29.02.2028 00:00:00", formats), CivilSeconds(2028, 2, 29));
    EXPECT_FALSE(ParseIsoDay("2026-05-01 10:00"));
    EXPECT_EQ(CivilDay(CivilSeconds(2026, 5, 1, 23, 59, 59)), CivilSeconds(2026, 5, 1));
    EXPECT_EQ(CivilDay(CivilSeconds(1969, 12, 31, 12)), CivilSeconds(1969, 12, 31));
}

#include "core/logbook/FlightDetails.h"
#include "core/flightdata/ZdfFile.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

const std::string kFile =
    "<Header>\r\n09.12.2026 10:00:00\r\n1\r\n-30720\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
    "</Header>\r\n<Data>\r\n0.0,100.00,10.00\r\n0.1,101.00,12.00\r\n"
    "</Data>\r\n<Text>\r\n{\\rtf1 x\r\n<Extra>\r\n}\r\n</Text>\r\n<Extra>\r\n"
    "RxOffsetY=2.50\r\nStartElevation=312\r\nModel=Pike\r\n</Extra>\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

TEST(FlightDetails, ReadFromExtraLinesWithTagsSplitAndTrimmed)
{
    const TFlightDetails d = ReadDetails({"RxOffsetY=0.00", "Model= Pike Perfect ", "Site=Raná",
                                          "Pilot=Jan", "Tags= thermal ,, F5J,thermal ,x"});
    EXPECT_EQ(d.Model, "Pike Perfect");
    EXPECT_EQ(d.Site, "Raná");
    EXPECT_EQ(d.Pilot, "Jan");
    EXPECT_EQ(d.Tags, (std::vector<std::string>{"thermal", "F5J", "x"}));
    EXPECT_EQ(ReadDetails({"Modeller=x", "model=y", "Model"}), TFlightDetails{});
    EXPECT_EQ(JoinTags({"a", "b c"}), "a, b c");
}

TEST(FlightDetails, ValuesAreOneLineAndNeverHoldTheServoZeroWord)
{
    EXPECT_EQ(CleanDetailValue(" Black\r\nHill\n"), "Black  Hill");
    EXPECT_FALSE(CheckDetailValue("Raná"));
    ASSERT_TRUE(CheckDetailValue("my RxOffsetY=3"));
    EXPECT_NE(CheckDetailValue("my RxOffsetY=3")->find("RxOffsetY"), std::string::npos);
    TDetailsEdit edit;
    edit.AddTags = {"ok", "RxOffsetY"};
    EXPECT_TRUE(CheckDetailsEdit(edit));
    const TRewriteResult r = RewriteDetails(kFile, edit);
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.Message.empty());
}

TEST(FlightDetails, EditsKeepPlacesAddAtTheEndAndRemoveWithEmptyValues)
{
    const std::vector<std::string> lines{"RxOffsetY=1.00", "Pilot=A", "Future=1", "Pilot=dup",
                                         "Tags=a, b"};
    TDetailsEdit edit;
    edit.Pilot = "B";
    edit.Model = "Pike";
    edit.AddTags = {"C, a"};
    edit.RemoveTags = {"B"};
    EXPECT_EQ(ApplyDetailsEdit(lines, edit),
              (std::vector<std::string>{"RxOffsetY=1.00", "Pilot=B", "Future=1", "Tags=a, C",
                                        "Model=Pike"}));
    TDetailsEdit remove;
    remove.Pilot = "";
    remove.Tags = " , ";
    EXPECT_EQ(ApplyDetailsEdit(lines, remove),
              (std::vector<std::string>{"RxOffsetY=1.00", "Future=1"}));
    EXPECT_EQ(ApplyDetailsEdit(lines, TDetailsEdit{}), lines);
}

TEST(FlightDetails, RewriteChangesOnlyTheExtraSection)
{
    TDetailsEdit edit;
    edit.Model = "Supra";
    edit.Site = "Raná";
    const TRewriteResult r = RewriteDetails(kFile, edit);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_TRUE(r.Changed);
    // The notes hold an "<Extra>" line of their own: the reader's section is the one changed.
    EXPECT_EQ(r.Content, Replaced(kFile, "Model=Pike\r\n", "Model=Supra\r\nSite=Raná\r\n"));
    TDataBlock flight;
    ASSERT_EQ(ParseDataFile(r.Content, flight, 0).Status, TReadStatus::Ok);
    EXPECT_DOUBLE_EQ(flight.RxOffsetY, 2.5);
    EXPECT_EQ(LocateExtraSection(r.Content).Lines,
              (std::vector<std::string>{"RxOffsetY=2.50", "StartElevation=312", "Model=Supra",
                                        "Site=Raná"}));

    const TRewriteResult same = RewriteDetails(r.Content, edit);
    EXPECT_TRUE(same.Ok);
    EXPECT_FALSE(same.Changed);
    EXPECT_EQ(same.Content, r.Content);
}

TEST(FlightDetails, RewriteKeepsTheFilesLineBreaksAndAddsAMissingSection)
{
    std::string lf = kFile;
    for (size_t p; (p = lf.find("\r\n")) != std::string::npos;)
        lf.replace(p, 2, "\n");
    TDetailsEdit edit;
    edit.Tags = "a,b";
    const TRewriteResult r = RewriteDetails(lf, edit);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Content, Replaced(lf, "Model=Pike\n", "Model=Pike\nTags=a, b\n"));

    const std::string bare = kFile.substr(0, kFile.rfind("<Extra>"));
    const TRewriteResult added = RewriteDetails(bare, edit);
    ASSERT_TRUE(added.Ok);
    EXPECT_EQ(added.Content, bare + "<Extra>\r\nTags=a, b\r\n</Extra>\r\n");

    const std::string noNotes = kFile.substr(0, kFile.find("<Text>"));
    const TRewriteResult withNotes = RewriteDetails(noNotes, edit);
    ASSERT_TRUE(withNotes.Ok);
    TDataBlock flight;
    ASSERT_EQ(ParseDataFile(withNotes.Content, flight, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(flight.Notes, "");
    EXPECT_EQ(ReadDetails(LocateExtraSection(withNotes.Content).Lines).Tags,
              (std::vector<std::string>{"a", "b"}));

    // Notes that never end would take in anything added after them.
    const std::string open = noNotes + "<Text>\r\nnotes\r\n";
    const TRewriteResult refused = RewriteDetails(open, edit);
    EXPECT_FALSE(refused.Ok);
    EXPECT_FALSE(refused.Message.empty());

    const std::string unclosed = kFile.substr(0, kFile.find("</Extra>"));
    const TRewriteResult closed = RewriteDetails(unclosed, edit);
    ASSERT_TRUE(closed.Ok);
    EXPECT_EQ(closed.Content, unclosed + "Tags=a, b\r\n</Extra>\r\n");
}

TEST(FlightDetails, SectionFoundAfterAnnotations)
{
    const std::string withAnnotations = Replaced(
        kFile, "</Data>\r\n", "</Data>\r\n<Anotace>\r\n1.00,2.00,<Text>\r\n</Anotace>\r\n");
    const TExtraSection s = LocateExtraSection(withAnnotations);
    ASSERT_TRUE(s.Found);
    EXPECT_TRUE(s.Closed);
    EXPECT_EQ(s.Lines.back(), "Model=Pike");
}

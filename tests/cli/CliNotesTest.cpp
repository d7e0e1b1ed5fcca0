// zirko-cli notes: what a flight file's notes look like from the command line.
#include "platform/files/FlightFile.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

struct TRun {
    int Code;
    QByteArray Out;
    QString LastErrorLine;
};

TRun RunCli(const QStringList& args)
{
    const TProcessRun p = RunProcess(QString::fromUtf8(ZIRKO_CLI_PATH), args);
    const QStringList err = QString::fromUtf8(p.Err).split('\n', Qt::SkipEmptyParts);
    return {p.Code, p.Out, err.isEmpty() ? QString() : err.back()};
}

QString WriteFlight(const QTemporaryDir& dir, const std::string& notes)
{
    TDataBlock flight;
    flight.DateText = "1.2.2024 10:00:00";
    flight.Sampling = 100;
    flight.Time = {0.0, 0.1, 0.2};
    flight.Notes = notes;
    const QString path = dir.filePath("flight.zdf");
    EXPECT_TRUE(WriteDataFile(path.toStdString(), flight).Ok());
    return path;
}

TEST(CliNotes, PrintsTextHtmlOrTheStoredRtf)
{
    QTemporaryDir dir;
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 \\b P\\'f8\\'edli\\'9a\\b0  \\u26085?\\par\r\n"
        "\\pard\\qc druh\\'fd\\par\r\n}\r\n";
    const QString file = WriteFlight(dir, rtf);

    TRun text = RunCli({"notes", file});
    EXPECT_EQ(0, text.Code) << text.LastErrorLine.toStdString();
    EXPECT_EQ("Příliš 日\ndruhý\n", text.Out.toStdString());
    EXPECT_EQ(text.Out, RunCli({"notes", file, "--format", "text"}).Out);

    TRun html = RunCli({"notes", file, "--format", "html"});
    EXPECT_EQ(0, html.Code);
    EXPECT_TRUE(html.Out.startsWith("<!DOCTYPE HTML"));
    EXPECT_TRUE(html.Out.contains("font-weight:700;\">Příliš</span>")) << html.Out.toStdString();
    EXPECT_TRUE(html.Out.contains("align=\"center\""));

    TRun raw = RunCli({"notes", file, "--format", "rtf"});
    EXPECT_EQ(0, raw.Code);
    EXPECT_EQ(rtf, raw.Out.toStdString());
}

TEST(CliNotes, PlainNotesAndFailures)
{
    QTemporaryDir dir;
    const QString file = WriteFlight(dir, "star\xe9 pozn\xe1mky"); // Windows-1250
    EXPECT_EQ("staré poznámky\n", RunCli({"notes", file}).Out.toStdString());

    TRun bad = RunCli({"notes", file, "--format", "xml"});
    EXPECT_EQ(1, bad.Code);
    EXPECT_TRUE(bad.LastErrorLine.startsWith("Unknown notes format: xml"));
    EXPECT_TRUE(bad.Out.isEmpty());

    TRun missing = RunCli({"notes", dir.filePath("none.zdf")});
    EXPECT_EQ(1, missing.Code);
    EXPECT_EQ("Error in reading file.", missing.LastErrorLine);
}

} // namespace

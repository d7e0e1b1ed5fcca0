// zirko-cli report and sheet: the pages written hold what a pilot looks for, and a failure
// writes nothing.
#include "core/analysis/FlightEvents.h"
#include "core/app/NumberFormat.h"
#include "platform/files/FlightFile.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace zirko;
using namespace zirko::test;

namespace {

int RunCli(const QStringList& args, QString* errors = nullptr)
{
    const TProcessRun p = RunProcess(QString::fromUtf8(ZIRKO_CLI_PATH), args,
                                     QProcessEnvironment::systemEnvironment(), 120000);
    if (errors)
        *errors = QString::fromUtf8(p.Err);
    return p.Code;
}

QString Tool(const QString& program, const QStringList& args)
{
    const TProcessRun p = RunProcess(program, args);
    EXPECT_NE(p.Code, -1) << program.toStdString();
    return QString::fromUtf8(p.Out);
}

// A motor climb, a thermal and a glide, with the details and notes a pilot keeps.
TDataBlock MotorFlight(double climbRate, const char* model, const char* notes)
{
    TDataBlock f;
    f.DateText = "14.6.2026 16:20:00";
    f.Sampling = 100;
    f.ChannelMask = kMaskAltitude | kMaskRx | kMaskVoltage;
    f.ExtraLines = {std::string("Model=") + model, "Site=Letkov", "Pilot=Eva"};
    f.Notes = notes;
    for (int i = 0; i <= 3000; ++i) {
        const double t = i * 0.1;
        f.Time.push_back(t);
        const double h = t < 25 ? t * climbRate : 25 * climbRate - (t - 25) * 0.4;
        f.Altitude.push_back(std::max(0.0, h));
        f.Rx.push_back(t >= 1 && t < 25 ? 90 : -100);
        f.Voltage.push_back(8.1 - t * 1e-3);
    }
    return f;
}

QString Write(const QTemporaryDir& dir, const QString& name, const TDataBlock& f)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(WriteDataFile(path.toStdString(), f).Ok());
    return path;
}

// The text of a PDF with its lines as laid out, blanks between words made one and the fonts'
// ligatures written out.
QString PdfText(const QString& pdf, int page = 0)
{
    QStringList args{"-layout"};
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    QString text = Tool("pdftotext", args << pdf << "-");
    text.replace(QChar(0xFB01), "fi").replace(QChar(0xFB02), "fl");
    return text.simplified();
}

} // namespace

TEST(CliReport, PdfHasAPagePerFlightWithNameDateStartHeightMotorTimeAndNotes)
{
    QTemporaryDir dir;
    const TDataBlock first =
        MotorFlight(6, "Pike Perfect", "{\\rtf1\\ansi Thermal over the \\b barn\\b0  at noon.}");
    const TDataBlock second = MotorFlight(4, "Supra", "Plain notes of the second flight");
    const QString a = Write(dir, "Let0001.zdf", first);
    const QString b = Write(dir, "Let0002.zdf", second);
    const QString out = dir.filePath("report.pdf");
    ASSERT_EQ(RunCli({"report", a, b, "-o", out, "--rules", "f5j"}), 0);

    EXPECT_TRUE(Tool("pdfinfo", {out}).contains(QRegularExpression("Pages:\\s+2\\n")));
    for (int page = 1; page <= 2; ++page) {
        const TDataBlock& f = page == 1 ? first : second;
        TEventOptions f5j;
        f5j.Rules = TRules::F5j;
        const TFlightEvents events = AnalyseEvents(f, f5j);
        ASSERT_TRUE(events.StartHeight && events.MotorTime);
        const QString text = PdfText(out, page);
        EXPECT_TRUE(text.contains(page == 1 ? "Let0001" : "Let0002")) << text.toStdString();
        EXPECT_TRUE(text.contains("14.6.2026 16:20:00")) << text.toStdString();
        EXPECT_TRUE(text.contains(page == 1 ? "Pike Perfect" : "Supra"));
        EXPECT_TRUE(text.contains("Letkov"));
        EXPECT_TRUE(text.contains(
            QString::fromStdString("Start height " + FormatDisplay(*events.StartHeight, 1) + " m")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(
            QString::fromStdString("Motor time " + FormatDisplay(*events.MotorTime, 1) + " s")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(page == 1 ? "Thermal over the barn at noon."
                                            : "Plain notes of the second flight"))
            << text.toStdString();
    }
}

TEST(CliReport, AFlightThatCannotBeReadOrAFlightAsOutputWritesNothing)
{
    QTemporaryDir dir;
    const QString a = Write(dir, "a.zdf", MotorFlight(5, "x", ""));
    const QString out = dir.filePath("report.pdf");
    ASSERT_TRUE(WriteBytes(out, "earlier report"));
    QString errors;
    EXPECT_EQ(RunCli({"report", a, dir.filePath("none.zdf"), "-o", out}, &errors), 1);
    EXPECT_EQ(ReadBytes(out), "earlier report");
    EXPECT_EQ(RunCli({"sheet", a, dir.filePath("none.zdf"), "-o", out}), 1);
    EXPECT_EQ(ReadBytes(out), "earlier report");

    const QByteArray flight = ReadBytes(a);
    EXPECT_EQ(RunCli({"report", a, "-o", a}, &errors), 1);
    EXPECT_TRUE(errors.contains("never replaces it")) << errors.toStdString();
    EXPECT_EQ(RunCli({"sheet", a, "-o", a}), 1);
    EXPECT_EQ(ReadBytes(a), flight);
    EXPECT_EQ(RunCli({"report", a, "-o", dir.filePath("report.png")}), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("report.png")));
}

TEST(CliReport, SheetPdfListsEveryFlightAndTheTotals)
{
    QTemporaryDir dir;
    const QString a = Write(dir, "Morning.zdf", MotorFlight(6, "Pike", ""));
    const QString b = Write(dir, "Evening.zdf", MotorFlight(4, "Supra", ""));
    const QString out = dir.filePath("day.PDF");
    ASSERT_EQ(RunCli({"sheet", a, b, "-o", out, "--rules", "f5j"}), 0);
    const QString text = PdfText(out);
    EXPECT_TRUE(text.contains("Score sheet"));
    EXPECT_TRUE(text.contains("Morning 14.6.2026 16:20:00 Eva Pike")) << text.toStdString();
    EXPECT_TRUE(text.contains("Evening 14.6.2026 16:20:00 Eva Supra")) << text.toStdString();
    EXPECT_TRUE(text.contains("Total")) << text.toStdString();
}

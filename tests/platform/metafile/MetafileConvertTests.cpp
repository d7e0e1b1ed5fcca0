// Outside players read our metafiles: emf2svg-conv and wmf2svg turn them into SVG with our texts.
#include "platform/metafile/EmfPaintDevice.h"
#include "platform/metafile/WmfPaintDevice.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko;

namespace {

void PaintChartLike(QPainter& p, const QString& axisTitle)
{
    p.fillRect(QRect(0, 0, 400, 300), Qt::white);
    const QRect plot(60, 20, 320, 220);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(plot);
    p.save();
    p.setClipRect(plot);
    p.setPen(QPen(QColor(0, 0, 200), 2));
    p.drawPolyline(QPolygon({QPoint(0, 200), QPoint(100, 60), QPoint(200, 150), QPoint(399, 10)}));
    p.restore();
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QPointF(180, 280), "Time [s]");
    p.save();
    p.translate(20, 200);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), axisTitle);
    p.restore();
}

QString Convert(const QString& tool, const QStringList& arguments, const QString& svg)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000))
        return "timeout";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile file(svg);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The characters of all text elements in drawing order: wmf2svg writes one element per character
// when the record spaces the characters itself.
QString SvgText(const QString& svg)
{
    QString text;
    static const QRegularExpression element("<text[^>]*>(?:<!\\[CDATA\\[)?(.*?)(?:\\]\\]>)?</text>",
                                            QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpressionMatch& m : element.globalMatch(svg))
        text += m.captured(1);
    return text;
}

} // namespace

TEST(MetafileConversion, Emf2SvgShowsTheTexts)
{
    const QString tool = QStandardPaths::findExecutable("emf2svg-conv");
    if (tool.isEmpty())
        GTEST_SKIP() << "emf2svg-conv is not installed (package emf2svg)";
    QTemporaryDir dir;
    TEmfPaintDevice device(QSize(400, 300));
    {
        QPainter painter(&device);
        PaintChartLike(painter, QString::fromUtf8("Výška [m]"));
    }
    QFile out(dir.filePath("chart.emf"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(device.Data());
    out.close();
    const QString svg = Convert(tool, {"-i", out.fileName(), "-o", dir.filePath("chart.svg")},
                                dir.filePath("chart.svg"));
    EXPECT_TRUE(SvgText(svg).contains("Time [s]")) << svg.left(2000).toStdString();
    EXPECT_TRUE(SvgText(svg).contains(QString::fromUtf8("Výška [m]")));
    EXPECT_TRUE(svg.contains("<path") || svg.contains("<polyline"));
}

TEST(MetafileConversion, Wmf2SvgShowsTheTexts)
{
    const QString tool = QStandardPaths::findExecutable("wmf2svg");
    if (tool.isEmpty())
        GTEST_SKIP() << "wmf2svg is not installed (package libwmf-bin)";
    QTemporaryDir dir;
    TWmfPaintDevice device(QSize(400, 300));
    {
        QPainter painter(&device);
        PaintChartLike(painter, "Altitude [m]");
    }
    QFile out(dir.filePath("chart.wmf"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(device.Data());
    out.close();
    const QString svg =
        Convert(tool, {"-o", dir.filePath("chart.svg"), out.fileName()}, dir.filePath("chart.svg"));
    EXPECT_TRUE(SvgText(svg).contains("Time [s]")) << svg.left(2000).toStdString();
    EXPECT_TRUE(SvgText(svg).contains("Altitude [m]"));
}

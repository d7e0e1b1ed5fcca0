// RTF notes: reading what editors save, writing what they read, and surviving broken input.
#include "core/flightdata/ZdfFile.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QColor>
#include <QFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zirko {
namespace {

using namespace std::string_literals;

// One run of equally formatted text, with everything the notes keep.
struct TRun {
    int Block;
    QString Text;
    QString Family;
    double Points;
    bool Bold, Italic, Underline, Strike;
    QRgb Color; // 0 = automatic
    int Align;
    bool operator==(const TRun&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TRun& r)
{
    return os << "[" << r.Block << " '" << r.Text.toStdString() << "' " << r.Family.toStdString()
              << " " << r.Points << (r.Bold ? " b" : "") << (r.Italic ? " i" : "")
              << (r.Underline ? " u" : "") << (r.Strike ? " s" : "") << " c" << std::hex << r.Color
              << std::dec << " a" << r.Align << "]";
}

std::vector<TRun> Runs(const QTextDocument& doc)
{
    std::vector<TRun> out;
    int index = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next(), ++index) {
        const int align = static_cast<int>(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
        if (b.begin().atEnd())
            out.push_back({index, {}, {}, 0, false, false, false, false, 0, align});
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QStringList fam = f.fontFamilies().toStringList();
            TRun r{index,
                   it.fragment().text(),
                   fam.isEmpty() ? doc.defaultFont().family() : fam.front(),
                   f.fontPointSize() > 0 ? f.fontPointSize() : doc.defaultFont().pointSizeF(),
                   f.fontWeight() > QFont::Medium,
                   f.fontItalic(),
                   f.fontUnderline(),
                   f.fontStrikeOut(),
                   f.foreground().style() == Qt::NoBrush
                       ? 0u
                       : (f.foreground().color().rgb() & 0xFFFFFF),
                   align};
            if (!out.empty() && out.back().Block == index) {
                TRun merged = out.back();
                merged.Text = r.Text;
                if (merged == r) {
                    out.back().Text += r.Text;
                    continue;
                }
            }
            out.push_back(r);
        }
    }
    return out;
}

QStringList Blocks(const QTextDocument& doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        out << b.text();
    return out;
}

QTextDocument* Read(const std::string& rtf)
{
    static QTextDocument doc;
    ReadRtf(rtf, doc);
    return &doc;
}

QTextCharFormat Plain(const QString& family, double points)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    return f;
}

// A document with every attribute the notes keep, in several paragraphs.
void FillFormatted(QTextDocument& doc)
{
    QTextCursor c(&doc);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    c.setBlockFormat(left);
    c.insertText("Příliš žluťoučký kůň úpěl ďábelské ódy", Plain("Arial", 10));
    QTextCharFormat bold = Plain("Arial", 12);
    bold.setFontWeight(QFont::Bold);
    c.insertText(" tučně", bold);
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centre);
    QTextCharFormat italic = Plain("Courier New", 17);
    italic.setFontItalic(true);
    italic.setForeground(QColor(200, 10, 30));
    c.insertText("kurzíva\tza tabulátorem", italic);
    QTextCharFormat under = Plain("Times New Roman", 8);
    under.setFontUnderline(true);
    c.insertText(QString::fromUtf8(" podtržené\u2028nový řádek"), under);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    QTextCharFormat strike = Plain("Arial", 24);
    strike.setFontStrikeOut(true);
    strike.setForeground(QColor(0, 0, 255));
    c.insertText(QString::fromUtf8("€ 日本 😀 {závorky} \\ back"), strike);
    QTextBlockFormat justify;
    justify.setAlignment(Qt::AlignJustify);
    c.insertBlock(justify);
    QTextCharFormat all = Plain("Arial", 14);
    all.setFontWeight(QFont::Bold);
    all.setFontItalic(true);
    all.setFontUnderline(true);
    all.setFontStrikeOut(true);
    all.setForeground(QColor(200, 10, 30));
    c.insertText("vše naráz", all);
    c.insertBlock(left);
    c.insertBlock(left);
    c.insertText("after an empty paragraph", Plain(QString::fromUtf8("Fönt ÿ 日本"), 10));
    c.insertBlock(centre);
    c.insertText("the last paragraph is centred", Plain("Arial", 10));
}

TEST(RtfRoundTrip, EveryAttributeReadsBackTheSame)
{
    QTextDocument original;
    FillFormatted(original);
    const std::string rtf = WriteRtf(original);
    QTextDocument back;
    ReadRtf(rtf, back);
    EXPECT_EQ(Runs(original), Runs(back)) << rtf;
    EXPECT_EQ(original.toPlainText(), back.toPlainText());
    // Writing what was read gives the same bytes again.
    EXPECT_EQ(rtf, WriteRtf(back));
}

TEST(RtfRoundTrip, EmptyDocumentAndEmptyParagraphsSurvive)
{
    QTextDocument empty;
    QTextDocument back;
    ReadRtf(WriteRtf(empty), back);
    EXPECT_EQ(QStringList{""}, Blocks(back));

    QTextDocument blanks;
    blanks.setPlainText("\n\nx\n");
    ReadRtf(WriteRtf(blanks), back);
    EXPECT_EQ(QStringList({"", "", "x", ""}), Blocks(back));
}

TEST(RtfWriter, UsesCodePage1250AndUnicodeEscapesWithCrLfLines)
{
    QTextDocument doc;
    doc.setPlainText(QString::fromUtf8("ř€日😀"));
    const std::string rtf = WriteRtf(doc);
    EXPECT_EQ(0u, rtf.rfind("{\\rtf1\\ansi\\ansicpg1250\\deff0", 0)) << rtf;
    EXPECT_NE(std::string::npos, rtf.find("{\\fonttbl{\\f0\\fnil\\fcharset238 "));
    EXPECT_NE(std::string::npos, rtf.find("{\\colortbl ;"));
    EXPECT_NE(std::string::npos, rtf.find("\\'f8\\'80\\u26085?\\u-10179?\\u-8704?"));
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\n') {
            ASSERT_TRUE(i > 0 && rtf[i - 1] == '\r') << "bare LF at " << i;
        }
        if (rtf[i] == '\r') {
            ASSERT_TRUE(i + 1 < rtf.size() && rtf[i + 1] == '\n') << "bare CR at " << i;
        }
        ASSERT_LT(static_cast<unsigned char>(rtf[i]), 0x80) << "raw 8-bit byte at " << i;
    }
}

TEST(RtfWriter, NoLineCanBeTakenForAFlightFileTag)
{
    const QStringList tags = {"<Header>",   "</Header>", "<Data>",  "</Data>", "<Anotace>",
                              "</Anotace>", "<Text>",    "</Text>", "<Extra>", "</Extra>"};
    QTextDocument doc;
    QTextCursor c(&doc);
    for (const QString& tag : tags) {
        c.insertText(tag);
        c.insertBlock();
        c.insertText(tag + QChar(0x2028) + tag);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(tag, bold);
        c.insertBlock();
    }
    // A very long paragraph with many format changes gets wrapped; the wrapped lines must not
    // start with text either.
    for (int i = 0; i < 300; ++i) {
        QTextCharFormat f;
        f.setFontItalic(i % 2);
        c.insertText("</Text>", f);
    }
    const std::string rtf = WriteRtf(doc);
    const QStringList lines = QString::fromStdString(rtf).split("\r\n");
    EXPECT_GT(lines.size(), 2 * tags.size());
    for (const QString& line : lines) {
        EXPECT_FALSE(tags.contains(line.trimmed())) << line.toStdString();
        if (!line.isEmpty()) {
            EXPECT_TRUE(line.startsWith('\\') || line.startsWith('{') || line.startsWith('}'))
                << line.toStdString();
        }
    }

    // Stored inside a flight file, the notes come back byte for byte.
    TDataBlock flight;
    flight.DateText = "1.1.2024";
    flight.Sampling = 100;
    flight.Time = {0.0, 0.1};
    flight.Notes = rtf;
    TWriteResult write;
    const std::string file = FormatDataFile(flight, &write);
    ASSERT_TRUE(write.Ok()) << write.Message;
    TDataBlock back;
    const TReadResult read = ParseDataFile(file, back, 0.0);
    ASSERT_EQ(TReadStatus::Ok, read.Status) << read.Message;
    EXPECT_EQ(rtf, back.Notes);
    QTextDocument again;
    ReadRtf(back.Notes, again);
    EXPECT_EQ(doc.toPlainText(), again.toPlainText());
}

TEST(RtfReader, ReadsWhatAWindowsRichEditSaves)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029{\\fonttbl{\\f0\\fnil\\fcharset238 MS Sans "
        "Serif;}}\r\n\\viewkind4\\uc1\\pard\\f0\\fs16 P\\'f8\\'edli\\'9a \\'9elu\\'9Dou\\'e8k\\'fd "
        "k\\'f9\\'f2\\par\r\n\\b Vy\\'9a\\'9a\\'ed\\b0  let\\par\r\n}\r\n"s +
        '\0';
    const QTextDocument& doc = *Read(rtf);
    const std::vector<TRun> expected = {
        {0, "Příliš žluťoučký kůň", "MS Sans Serif", 8, false, false, false, false, 0, 1},
        {1, "Vyšší", "MS Sans Serif", 8, true, false, false, false, 0, 1},
        {1, " let", "MS Sans Serif", 8, false, false, false, false, 0, 1},
    };
    EXPECT_EQ(expected, Runs(doc));
}

TEST(RtfReader, CodePageComesFromTheFontCharsetOrTheDocument)
{
    // 0xE8 is "č" in Windows-1250 and "è" in Windows-1252.
    EXPECT_EQ("čè", Read("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 A;}{\\f1"
                         "\\fcharset0 B;}}\\f0\\'e8\\f1\\'e8}")
                        ->toPlainText()
                        .toStdString());
    EXPECT_EQ("è", Read("{\\rtf1\\ansi\\'e8}")->toPlainText().toStdString());
    EXPECT_EQ("č", Read("{\\rtf1\\ansi\\ansicpg1250\\'e8}")->toPlainText().toStdString());
    // A font name in the font's own code page.
    EXPECT_EQ(QStringList{"Česká"},
              Read("{\\rtf1{\\fonttbl{\\f0\\fcharset238 \\'c8esk\\'e1;}}\\f0 x}")
                  ->begin()
                  .begin()
                  .fragment()
                  .charFormat()
                  .fontFamilies()
                  .toStringList());
}

TEST(RtfReader, UnicodeEscapesSkipTheirFallbackCharacters)
{
    EXPECT_EQ("čx", Read("{\\rtf1\\uc1\\u269?x}")->toPlainText().toStdString());
    EXPECT_EQ("čy", Read("{\\rtf1\\uc2\\u269\\'e8\\'e8y}")->toPlainText().toStdString());
    EXPECT_EQ("čz", Read("{\\rtf1\\uc0\\u269 z}")->toPlainText().toStdString());
    EXPECT_EQ("😀!", Read("{\\rtf1\\u-10179?\\u-8704?!}")->toPlainText().toStdString());
    // The skip count ends with the group.
    EXPECT_EQ("ča", Read("{\\rtf1{\\u269}a}")->toPlainText().toStdString());
    EXPECT_EQ("\uFFFDq", Read("{\\rtf1\\u-9000?q}")->toPlainText().toStdString());
}

TEST(RtfReader, WordProcessorDocumentsShowOnlyTheirText)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New "
        "Roman{\\*\\panose 02020603050405020304};}{\\f1\\fswiss Arial;}}\r\n"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
        "{\\stylesheet{\\ql \\f0\\fs24 Normal;}{\\s1 heading 1;}}\r\n"
        "{\\*\\generator Writer 7;}{\\info{\\title Secret}{\\author Someone}}\r\n"
        "{\\*\\listtable{\\list{\\listlevel{\\leveltext \\'01\\u-3913 ?;}}}}\r\n"
        "\\paperw11906\\margl1134\\sectd\\pard\\plain\\s1\\qc\\f1\\fs32\\b Title\\par\r\n"
        "\\pard\\plain\\f0\\fs24 Before {\\*\\shppict{\\pict\\pngblip\\picw10 89504e470d0a1a0a}}"
        "{\\nonshppict{\\pict\\wmetafile8 0100090000}}after{\\pict\\bin4 {}}\\x}"
        " picture, {\\cf2\\i red}, {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}"
        "\\emdash \\ldblquote q\\rdblquote{\\*\\unknown hidden {nested}}\\par\r\n}";
    const QTextDocument& doc = *Read(rtf);
    EXPECT_EQ(QStringList({"Title", "Before after picture, red, link—“q”"}), Blocks(doc));
    const std::vector<TRun> runs = Runs(doc);
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ((TRun{0, "Title", "Arial", 16, true, false, false, false, 0, Qt::AlignHCenter}),
              runs[0]);
    EXPECT_EQ("Times New Roman", runs[1].Family.toStdString());
    EXPECT_EQ((TRun{1, "red", "Times New Roman", 12, false, true, false, false, 0xFF0000, 1}),
              runs[2]);
}

TEST(RtfReader, MalformedInputShowsWhatCanBeRead)
{
    EXPECT_EQ("abc", Read("{\\rtf1 abc")->toPlainText().toStdString());
    // The document ends with its outermost group, whatever follows.
    EXPECT_EQ("a", Read("{\\rtf1 a}}}b}c")->toPlainText().toStdString());
    EXPECT_EQ("x", Read("{\\rtf1 x\\'4")->toPlainText().toStdString());
    EXPECT_EQ("xzzy", Read("{\\rtf1 x\\'zzy}")->toPlainText().toStdString());
    EXPECT_EQ("x", Read("{\\rtf1 x\\")->toPlainText().toStdString());
    EXPECT_EQ("", Read("")->toPlainText().toStdString());
    EXPECT_EQ("a", Read("{\\rtf1 a\\bin99999999999999 z}")->toPlainText().toStdString());

    const QTextDocument& huge =
        *Read("{\\rtf1\\fs999999999999999999999\\cf77777777777\\f-99999999999"
              "\\uc99999999999 big\\u999999999999?}");
    EXPECT_EQ("big\uFFFD", huge.toPlainText().toStdString());
    EXPECT_LE(huge.begin().begin().fragment().charFormat().fontPointSize(), 1638.0);

    // Nesting far deeper than any editor writes still shows the text inside.
    const std::string deep =
        "{\\rtf1 " + std::string(100000, '{') + "\\b deep" + std::string(100000, '}') + "}";
    EXPECT_EQ("deep", Read(deep)->toPlainText().toStdString());
}

TEST(NotesDocument, TextThatIsNotRtfLoadsAsPlainText)
{
    QTextDocument doc;
    LoadNotesDocument("first line\r\ndruhý\r\n", doc);
    EXPECT_EQ(QStringList({"first line", "druhý", ""}), Blocks(doc));
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.isUndoAvailable());

    LoadNotesDocument("\xe8\x9e", doc); // Windows-1250, not valid UTF-8
    EXPECT_EQ("čž", doc.toPlainText().toStdString());

    LoadNotesDocument("", doc);
    EXPECT_TRUE(doc.isEmpty());

    LoadNotesDocument("  {\\rtf1 {\\b rich}}", doc);
    EXPECT_EQ("rich", doc.toPlainText().toStdString());
    EXPECT_FALSE(doc.isModified());
}

// Output of the unrtf tool for our RTF; empty when unrtf is not installed.
QByteArray Unrtf(const QString& mode, const QTextDocument& doc)
{
    const QString unrtf = QStandardPaths::findExecutable("unrtf");
    if (unrtf.isEmpty())
        return {};
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.rtf");
    if (!test::WriteBytes(path, QByteArray::fromStdString(WriteRtf(doc))))
        return {};
    return test::RunProcess(unrtf, {mode, path}, QProcessEnvironment::systemEnvironment(), 20000)
        .Out;
}

TEST(RtfWriter, UnrtfReadsTheSameText)
{
    if (QStandardPaths::findExecutable("unrtf").isEmpty())
        GTEST_SKIP() << "unrtf is not installed; the cross-check with another reader is skipped";
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText("First paragraph, plain");
    c.insertBlock();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText("Bold {braces} and \\ backslash", bold);
    QTextCharFormat big;
    big.setFontPointSize(20);
    big.setFontFamilies({"Courier New"});
    c.insertText(" then big", big);
    c.insertBlock();
    c.insertText("tab\there");
    c.insertBlock();
    QString longText;
    for (int i = 0; i < 60; ++i) {
        QTextCharFormat f;
        f.setFontItalic(i % 2);
        c.insertText(QString("w%1 ").arg(i), f);
        longText += QString("w%1 ").arg(i);
    }
    // unrtf's text mode prints only ASCII faithfully and lays tabs out as blanks and line breaks,
    // so the words and their order are compared.
    QStringList lines;
    for (const QString& line : QString::fromLatin1(Unrtf("--text", doc)).split('\n')) {
        if (!line.startsWith("###") && !line.startsWith("-----"))
            lines << line;
    }
    EXPECT_EQ("First paragraph, plain Bold {braces} and \\ backslash then big tab here " +
                  longText.trimmed().toStdString(),
              lines.join(' ').simplified().toStdString());

    // Its HTML mode decodes the code page: the Czech text comes out the same.
    QTextDocument czech;
    czech.setPlainText("Příliš žluťoučký kůň úpěl ďábelské ódy\nŘÍZENÍ ČÁSTÍ");
    QTextDocument html;
    html.setHtml(QString::fromUtf8(Unrtf("--html", czech)));
    EXPECT_EQ(czech.toPlainText(), html.toPlainText().trimmed());
}

} // namespace
} // namespace zirko

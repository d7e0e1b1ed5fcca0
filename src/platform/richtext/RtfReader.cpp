#include "platform/richtext/RtfReader.h"

#include "core/app/TextCodec.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

namespace {

// Deeper nesting than this is read with the formatting of the deepest kept group.
constexpr size_t kMaxDepth = 256;
// RTF's default character size when no \fs is given: 12 pt.
constexpr int kDefaultHalfPoints = 24;
// Sizes beyond what any editor offers are clamped, so absurd numbers cannot reach the layout.
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxUcSkip = 16;
constexpr size_t kMaxControlWord = 32;

enum class TDest { Text, FontTable, ColorTable, Skip };

struct TCharProps {
    int Font = -1; // font table index; -1 = the document's default font
    int HalfPoints = kDefaultHalfPoints;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    int Color = 0;
    bool operator==(const TCharProps&) const = default;
};

struct TGroupState {
    TDest Dest = TDest::Text;
    TCharProps Chars;
    Qt::Alignment Align = Qt::AlignLeft;
    int UcSkip = 1;
};

struct TFontEntry {
    QString Name;
    int CodePage = 0; // 0: the document's code page
};

// The code page of a font's \fcharset; 0 for sets without a table here (the document's is used).
int CharsetCodePage(int charset)
{
    switch (charset) {
    case 238:
        return 1250;
    case 0:
        return 1252;
    default:
        return 0;
    }
}

// Destinations whose content is never shown, even when a writer forgets the "\*" before them.
bool IsSkippedDestination(std::string_view word)
{
    static constexpr std::array<std::string_view, 62> kSkipped = {"stylesheet",
                                                                  "info",
                                                                  "pict",
                                                                  "header",
                                                                  "headerl",
                                                                  "headerr",
                                                                  "headerf",
                                                                  "footer",
                                                                  "footerl",
                                                                  "footerr",
                                                                  "footerf",
                                                                  "objdata",
                                                                  "objclass",
                                                                  "objname",
                                                                  "themedata",
                                                                  "colorschememapping",
                                                                  "latentstyles",
                                                                  "datastore",
                                                                  "xmlnstbl",
                                                                  "listtable",
                                                                  "listoverridetable",
                                                                  "revtbl",
                                                                  "rsidtbl",
                                                                  "filetbl",
                                                                  "generator",
                                                                  "fldinst",
                                                                  "nonshppict",
                                                                  "shprslt",
                                                                  "shpinst",
                                                                  "shp",
                                                                  "sp",
                                                                  "author",
                                                                  "title",
                                                                  "subject",
                                                                  "operator",
                                                                  "keywords",
                                                                  "comment",
                                                                  "doccomm",
                                                                  "creatim",
                                                                  "revtim",
                                                                  "printim",
                                                                  "buptim",
                                                                  "pgdsctbl",
                                                                  "footnote",
                                                                  "annotation",
                                                                  "atnid",
                                                                  "atnauthor",
                                                                  "bkmkstart",
                                                                  "bkmkend",
                                                                  "txe",
                                                                  "xe",
                                                                  "tc",
                                                                  "userprops",
                                                                  "pnseclvl",
                                                                  "listpicture",
                                                                  "template",
                                                                  "docvar",
                                                                  "company",
                                                                  "manager",
                                                                  "hlinkbase",
                                                                  "category",
                                                                  "mmathPr"};
    return std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

class TRtfParser {
public:
    TRtfParser(std::string_view bytes, QTextDocument& document)
        : Bytes(bytes), Document(document), Cursor(&document)
    {
    }

    void Run()
    {
        Document.clear();
        Cursor = QTextCursor(&Document);
        Cursor.beginEditBlock();
        Stack.push_back(TGroupState{});
        while (Pos < Bytes.size() && !Finished) {
            const char c = Bytes[Pos];
            if (c == '{') {
                ++Pos;
                PushGroup();
            } else if (c == '}') {
                ++Pos;
                PopGroup();
            } else if (c == '\\') {
                ++Pos;
                ControlSequence();
            } else {
                ++Pos;
                // Line ends in RTF are only there for readability; NUL bytes are a saver's slack;
                // nothing outside the document's group is part of it.
                if (c != '\r' && c != '\n' && c != '\0' && GroupsOpened > 0)
                    TextByte(static_cast<unsigned char>(c));
            }
        }
        FlushText();
        // A paragraph left open by a missing \par takes the alignment in force at the end.
        if (!BlockClosed)
            SetBlockAlignment(State().Align);
        Cursor.endEditBlock();
    }

private:
    TGroupState& State() { return Stack.back(); }

    void PushGroup()
    {
        SkipCount = 0;
        if (Stack.size() >= kMaxDepth) {
            ++Overflow;
            return;
        }
        Stack.push_back(State());
        ++GroupsOpened;
    }

    void PopGroup()
    {
        SkipCount = 0;
        if (Overflow > 0) {
            --Overflow;
            return;
        }
        if (Stack.size() <= 1)
            return; // a stray closing brace before any group
        if (State().Dest == TDest::FontTable)
            CommitFont();
        Stack.pop_back();
        // The outermost group ends the document; whatever follows (often a NUL) is not part of it.
        if (Stack.size() == 1 && GroupsOpened > 0)
            Finished = true;
    }

    void ControlSequence()
    {
        if (Pos >= Bytes.size())
            return; // a lone backslash at the very end
        const char c = Bytes[Pos];
        if (IsAsciiLetter(c)) {
            ControlWord();
            return;
        }
        ++Pos;
        switch (c) {
        case '\'': {
            // A truncated or broken escape yields nothing; its valid hex digits are consumed.
            int value = 0;
            int digits = 0;
            while (digits < 2 && Pos < Bytes.size() && HexValue(Bytes[Pos]) >= 0) {
                value = value * 16 + HexValue(Bytes[Pos]);
                ++Pos;
                ++digits;
            }
            if (digits == 2)
                TextByte(static_cast<unsigned char>(value), true);
            break;
        }
        case '\\':
        case '{':
        case '}':
            TextByte(static_cast<unsigned char>(c), true);
            break;
        case '~':
            Symbol(0x00A0);
            break;
        case '_':
            Symbol(0x2011);
            break;
        case '-':
            ConsumeSkip(); // optional hyphen: not shown
            break;
        case '*':
            State().Dest = TDest::Skip;
            break;
        case '\r':
        case '\n':
            Word("par", false, 0);
            break;
        case '\t':
            Symbol('\t');
            break;
        default:
            ConsumeSkip();
            break;
        }
    }

    void ControlWord()
    {
        std::string word;
        while (Pos < Bytes.size() && IsAsciiLetter(Bytes[Pos])) {
            if (word.size() < kMaxControlWord)
                word.push_back(Bytes[Pos]);
            ++Pos;
        }
        bool hasParam = false;
        bool negative = false;
        int64_t param = 0;
        if (Pos < Bytes.size() && Bytes[Pos] == '-' && Pos + 1 < Bytes.size() &&
            IsAsciiDigit(Bytes[Pos + 1])) {
            negative = true;
            ++Pos;
        }
        while (Pos < Bytes.size() && IsAsciiDigit(Bytes[Pos])) {
            hasParam = true;
            param = std::min<int64_t>(param * 10 + (Bytes[Pos] - '0'), INT32_MAX);
            ++Pos;
        }
        if (Pos < Bytes.size() && Bytes[Pos] == ' ')
            ++Pos;
        Word(word, hasParam, static_cast<int>(negative ? -param : param));
    }

    void Word(std::string_view word, bool hasParam, int param)
    {
        if (word == "bin") {
            // Raw bytes follow; they are never text.
            const size_t count = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
            Pos = std::min(Bytes.size(), Pos + count);
            return;
        }
        TGroupState& s = State();
        if (s.Dest == TDest::Skip)
            return;
        if (word == "u") {
            int code = param;
            if (code < 0)
                code += 65536;
            UnicodeUnit(code >= 0 && code <= 0xFFFF ? static_cast<char32_t>(code) : 0xFFFD);
            SkipCount = s.UcSkip;
            return;
        }
        if (word == "fonttbl") {
            s.Dest = TDest::FontTable;
            return;
        }
        if (word == "colortbl") {
            s.Dest = TDest::ColorTable;
            Red = Green = Blue = 0;
            ColorGiven = false;
            return;
        }
        if (IsSkippedDestination(word)) {
            s.Dest = TDest::Skip;
            return;
        }
        if (word == "ansicpg") {
            if (hasParam && param > 0)
                DocCodePage = param;
            return;
        }
        if (word == "ansi") {
            if (DocCodePage == 0)
                DocCodePage = 1252;
            return;
        }
        if (word == "deff") {
            DefaultFont = param;
            return;
        }
        if (word == "uc") {
            s.UcSkip = std::clamp(hasParam ? param : 1, 0, kMaxUcSkip);
            return;
        }
        if (s.Dest == TDest::FontTable) {
            FontTableWord(word, param);
            return;
        }
        if (s.Dest == TDest::ColorTable) {
            const int v = std::clamp(param, 0, 255);
            if (word == "red")
                Red = v;
            else if (word == "green")
                Green = v;
            else if (word == "blue")
                Blue = v;
            else
                return;
            ColorGiven = true;
            return;
        }
        TextWord(word, hasParam, param);
    }

    void FontTableWord(std::string_view word, int param)
    {
        if (word == "f") {
            CommitFont();
            DefiningFont = param;
            PendingFont = TFontEntry{};
            Defining = true;
        } else if (word == "fcharset") {
            if (PendingFont.CodePage == 0)
                PendingFont.CodePage = CharsetCodePage(param);
        } else if (word == "cpg") {
            if (param == 1250 || param == 1252)
                PendingFont.CodePage = param;
        }
    }

    void TextWord(std::string_view word, bool hasParam, int param)
    {
        TGroupState& s = State();
        TCharProps& ch = s.Chars;
        const bool on = !hasParam || param != 0;
        if (word == "par" || word == "sect" || word == "row") {
            ConsumeSkip();
            EndParagraph();
        } else if (word == "line") {
            Symbol(0x2028);
        } else if (word == "tab" || word == "cell") {
            Symbol('\t');
        } else if (word == "plain") {
            ch = TCharProps{};
        } else if (word == "pard") {
            s.Align = Qt::AlignLeft;
        } else if (word == "ql") {
            s.Align = Qt::AlignLeft;
        } else if (word == "qr") {
            s.Align = Qt::AlignRight;
        } else if (word == "qc") {
            s.Align = Qt::AlignHCenter;
        } else if (word == "qj") {
            s.Align = Qt::AlignJustify;
        } else if (word == "f") {
            ch.Font = param;
        } else if (word == "fs") {
            ch.HalfPoints =
                hasParam && param > 0 ? std::min(param, kMaxHalfPoints) : kDefaultHalfPoints;
        } else if (word == "b") {
            ch.Bold = on;
        } else if (word == "i") {
            ch.Italic = on;
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" ||
                   word == "uldash" || word == "ulth" || word == "ulwave") {
            ch.Underline = on;
        } else if (word == "ulnone") {
            ch.Underline = false;
        } else if (word == "strike" || word == "striked") {
            ch.Strike = on;
        } else if (word == "cf") {
            ch.Color = std::max(param, 0);
        } else if (word == "emdash") {
            Symbol(0x2014);
        } else if (word == "endash") {
            Symbol(0x2013);
        } else if (word == "bullet") {
            Symbol(0x2022);
        } else if (word == "lquote") {
            Symbol(0x2018);
        } else if (word == "rquote") {
            Symbol(0x2019);
        } else if (word == "ldblquote") {
            Symbol(0x201C);
        } else if (word == "rdblquote") {
            Symbol(0x201D);
        } else if (word == "emspace") {
            Symbol(0x2003);
        } else if (word == "enspace") {
            Symbol(0x2002);
        } else {
            ConsumeSkip();
        }
    }

    // After \uN the next UcSkip characters are the fallback for older readers.
    bool ConsumeSkip()
    {
        if (SkipCount <= 0)
            return false;
        --SkipCount;
        return true;
    }

    int CodePageOf(int font) const
    {
        const auto it = Fonts.find(font < 0 ? DefaultFont : font);
        if (it != Fonts.end() && it->second.CodePage != 0)
            return it->second.CodePage;
        return DocCodePage != 0 ? DocCodePage : 1252;
    }

    void TextByte(unsigned char byte, bool escaped = false)
    {
        TGroupState& s = State();
        switch (s.Dest) {
        case TDest::Skip:
            return;
        case TDest::ColorTable:
            if (byte == ';' && !escaped) {
                Colors.push_back(ColorGiven ? std::optional<QColor>(QColor(Red, Green, Blue))
                                            : std::nullopt);
                Red = Green = Blue = 0;
                ColorGiven = false;
            }
            return;
        case TDest::FontTable:
            if (ConsumeSkip())
                return;
            if (byte == ';' && !escaped) {
                CommitFont();
                return;
            }
            if (Defining) {
                const int cp = PendingFont.CodePage != 0 ? PendingFont.CodePage
                                                         : (DocCodePage != 0 ? DocCodePage : 1252);
                AppendCodePoint(PendingFont.Name,
                                byte < 0x80 ? char32_t(byte) : CodePageToUnicode(byte, cp));
            }
            return;
        case TDest::Text:
            if (ConsumeSkip())
                return;
            if (byte < 0x20 && byte != '\t')
                return;
            Emit(byte < 0x80 ? char32_t(byte) : CodePageToUnicode(byte, CodePageOf(s.Chars.Font)));
            return;
        }
    }

    void Symbol(char32_t cp)
    {
        if (State().Dest != TDest::Text)
            return;
        if (ConsumeSkip())
            return;
        Emit(cp);
    }

    void UnicodeUnit(char32_t unit)
    {
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            HighSurrogate = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            cp = HighSurrogate != 0 ? 0x10000 + ((HighSurrogate - 0xD800) << 10) + (unit - 0xDC00)
                                    : 0xFFFD;
        }
        HighSurrogate = 0;
        if (cp == 0)
            return; // a NUL is never text, not even in a font name
        if (State().Dest == TDest::FontTable) {
            if (Defining)
                AppendCodePoint(PendingFont.Name, cp);
            return;
        }
        if (State().Dest == TDest::Text)
            Emit(cp);
    }

    static void AppendCodePoint(QString& text, char32_t cp)
    {
        if (cp > 0x10FFFF)
            cp = 0xFFFD;
        const char32_t one[1] = {cp};
        text += QString::fromUcs4(one, 1);
    }

    void CommitFont()
    {
        if (!Defining)
            return;
        // Control characters have no place in a font name; blanks around it are not part of it.
        QString name = PendingFont.Name;
        for (QChar& ch : name)
            if (ch.unicode() < 0x20)
                ch = QLatin1Char(' ');
        Fonts[DefiningFont] = TFontEntry{name.trimmed(), PendingFont.CodePage};
        Defining = false;
        PendingFont = TFontEntry{};
    }

    void Emit(char32_t cp)
    {
        HighSurrogate = 0;
        OpenBlockIfClosed();
        if (!PendingText.isEmpty() && !(PendingProps == State().Chars))
            FlushText();
        if (PendingText.isEmpty())
            PendingProps = State().Chars;
        AppendCodePoint(PendingText, cp);
    }

    QTextCharFormat FormatOf(const TCharProps& props) const
    {
        QTextCharFormat f;
        const auto font = Fonts.find(props.Font < 0 ? DefaultFont : props.Font);
        if (font != Fonts.end() && !font->second.Name.isEmpty())
            f.setFontFamilies(QStringList{font->second.Name});
        f.setFontPointSize(props.HalfPoints / 2.0);
        f.setFontWeight(props.Bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(props.Italic);
        f.setFontUnderline(props.Underline);
        f.setFontStrikeOut(props.Strike);
        if (props.Color >= 0 && static_cast<size_t>(props.Color) < Colors.size() &&
            Colors[static_cast<size_t>(props.Color)])
            f.setForeground(*Colors[static_cast<size_t>(props.Color)]);
        return f;
    }

    void FlushText()
    {
        if (PendingText.isEmpty())
            return;
        Cursor.insertText(PendingText, FormatOf(PendingProps));
        PendingText.clear();
    }

    void SetBlockAlignment(Qt::Alignment align)
    {
        QTextBlockFormat bf = Cursor.blockFormat();
        if (bf.alignment() != align) {
            bf.setAlignment(align);
            Cursor.setBlockFormat(bf);
        }
    }

    // A paragraph mark ends the paragraph; the next one starts only when something follows, so
    // the mark after the last paragraph adds no empty line.
    void OpenBlockIfClosed()
    {
        if (!BlockClosed)
            return;
        QTextBlockFormat bf;
        bf.setAlignment(State().Align);
        Cursor.insertBlock(bf, FormatOf(State().Chars));
        BlockClosed = false;
    }

    void EndParagraph()
    {
        FlushText();
        OpenBlockIfClosed();
        SetBlockAlignment(State().Align);
        BlockClosed = true;
    }

    std::string_view Bytes;
    QTextDocument& Document;
    QTextCursor Cursor;
    size_t Pos = 0;
    std::vector<TGroupState> Stack;
    size_t Overflow = 0;
    size_t GroupsOpened = 0;
    bool Finished = false;

    int DocCodePage = 0;
    int DefaultFont = 0;
    std::map<int, TFontEntry> Fonts;
    bool Defining = false;
    int DefiningFont = 0;
    TFontEntry PendingFont;

    std::vector<std::optional<QColor>> Colors;
    int Red = 0;
    int Green = 0;
    int Blue = 0;
    bool ColorGiven = false;

    int SkipCount = 0;
    char32_t HighSurrogate = 0;
    QString PendingText;
    TCharProps PendingProps;
    bool BlockClosed = false;
};

} // namespace

bool IsRtf(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

void ReadRtf(std::string_view bytes, QTextDocument& document)
{
    TRtfParser(bytes, document).Run();
}

void LoadNotesDocument(std::string_view bytes, QTextDocument& document)
{
    document.setUndoRedoEnabled(false);
    if (IsRtf(bytes)) {
        ReadRtf(bytes, document);
    } else {
        QString text = QString::fromStdString(DecodeFileText(bytes));
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.remove(QChar(0));
        document.setPlainText(text);
    }
    document.setUndoRedoEnabled(true);
    document.setModified(false);
}

} // namespace zirko

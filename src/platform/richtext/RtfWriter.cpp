#include "platform/richtext/RtfWriter.h"

#include "core/app/TextCodec.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace zirko {

namespace {

// The code page the writer declares; characters outside it go out as \uN.
constexpr int kCodePage = 1250;
// Long paragraphs are wrapped before a control word once a line has grown this long.
constexpr size_t kWrapColumn = 200;
constexpr int kRtfDefaultHalfPoints = 24;

struct TRunProps {
    int Font = 0;
    int HalfPoints = kRtfDefaultHalfPoints;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    int Color = 0;
};

QString FamilyOf(const QTextCharFormat& format, const QString& fallback)
{
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.front().isEmpty())
        return families.front();
    const QString single = format.property(QTextFormat::FontFamily).toString();
    return single.isEmpty() ? fallback : single;
}

class TRtfWriter {
public:
    explicit TRtfWriter(const QTextDocument& document) : Document(document)
    {
        const QFont font = document.defaultFont();
        DefaultFamily = font.family();
        DefaultPoints = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    }

    std::string Run()
    {
        CollectTables();
        Raw("{");
        Control("\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029");
        Raw("{");
        Control("\\fonttbl");
        for (size_t i = 0; i < Fonts.size(); ++i) {
            Raw("{");
            Control("\\f" + std::to_string(i) + "\\fnil\\fcharset238");
            QString name = Fonts[i];
            // A font name ends at ";" and holds no control words, so neither may appear in it.
            for (QChar& ch : name)
                if (ch == QLatin1Char(';') || ch.unicode() < 0x20)
                    ch = QLatin1Char(' ');
            Text(name);
            Raw(";}");
        }
        Raw("}");
        NewLine();
        Raw("{");
        Control("\\colortbl");
        Raw(" ;");
        for (const QColor& c : Colors) {
            Control("\\red" + std::to_string(c.red()) + "\\green" + std::to_string(c.green()) +
                    "\\blue" + std::to_string(c.blue()));
            Raw(";");
        }
        Raw("}");
        NewLine();
        Control("\\viewkind4\\uc1");
        for (QTextBlock block = Document.begin(); block.isValid(); block = block.next())
            Paragraph(block);
        Raw("}");
        NewLine();
        return Out;
    }

private:
    void CollectTables()
    {
        Fonts.push_back(DefaultFamily);
        for (QTextBlock block = Document.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                FontIndex(FamilyOf(f, DefaultFamily));
                if (f.foreground().style() != Qt::NoBrush)
                    ColorIndex(f.foreground().color());
            }
        }
    }

    int FontIndex(const QString& family)
    {
        const auto it = std::find(Fonts.begin(), Fonts.end(), family);
        if (it != Fonts.end())
            return static_cast<int>(it - Fonts.begin());
        Fonts.push_back(family);
        return static_cast<int>(Fonts.size() - 1);
    }

    // Index in the colour table; entry 0 is the automatic colour.
    int ColorIndex(const QColor& color)
    {
        const QRgb rgb = color.rgb() & 0xFFFFFF;
        for (size_t i = 0; i < Colors.size(); ++i)
            if ((Colors[i].rgb() & 0xFFFFFF) == rgb)
                return static_cast<int>(i + 1);
        Colors.push_back(QColor(rgb));
        return static_cast<int>(Colors.size());
    }

    TRunProps PropsOf(const QTextCharFormat& f)
    {
        TRunProps p;
        p.Font = FontIndex(FamilyOf(f, DefaultFamily));
        const double points = f.fontPointSize() > 0 ? f.fontPointSize() : DefaultPoints;
        p.HalfPoints = std::clamp(static_cast<int>(std::lround(points * 2)), 1, 3276);
        p.Bold = f.fontWeight() > QFont::Medium;
        p.Italic = f.fontItalic();
        p.Underline = f.fontUnderline();
        p.Strike = f.fontStrikeOut();
        p.Color = f.foreground().style() != Qt::NoBrush ? ColorIndex(f.foreground().color()) : 0;
        return p;
    }

    static std::string Toggle(const char* word, bool on)
    {
        return on ? word : std::string(word) + "0";
    }

    void ChangeTo(const TRunProps& p)
    {
        std::string words;
        if (p.Font != Current.Font)
            words += "\\f" + std::to_string(p.Font);
        if (p.HalfPoints != Current.HalfPoints)
            words += "\\fs" + std::to_string(p.HalfPoints);
        if (p.Bold != Current.Bold)
            words += Toggle("\\b", p.Bold);
        if (p.Italic != Current.Italic)
            words += Toggle("\\i", p.Italic);
        if (p.Underline != Current.Underline)
            words += p.Underline ? "\\ul" : "\\ulnone";
        if (p.Strike != Current.Strike)
            words += Toggle("\\strike", p.Strike);
        if (p.Color != Current.Color)
            words += "\\cf" + std::to_string(p.Color);
        if (words.empty())
            return;
        if (Out.size() - LineStart > kWrapColumn)
            NewLine();
        Control(words);
        Current = p;
    }

    void Paragraph(const QTextBlock& block)
    {
        const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        std::string words = "\\pard";
        if (align & Qt::AlignHCenter)
            words += "\\qc";
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            words += "\\qr";
        else if (align & Qt::AlignJustify)
            words += "\\qj";
        Control(words);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            // An embedded picture has no text to keep.
            if (fragment.charFormat().isImageFormat())
                continue;
            ChangeTo(PropsOf(fragment.charFormat()));
            Text(fragment.text());
        }
        Control("\\par");
        NewLine();
    }

    void Text(const QString& text)
    {
        const QList<uint> codes = text.toUcs4();
        for (uint code : codes)
            Char(static_cast<char32_t>(code));
    }

    void Char(char32_t cp)
    {
        switch (cp) {
        case '\\':
        case '{':
        case '}':
            Out += '\\';
            Out += static_cast<char>(cp);
            NeedDelimiter = false;
            return;
        case '\t':
            Control("\\tab");
            return;
        case 0x2028: // the editor's line break inside a paragraph
            Control("\\line");
            return;
        case 0x2029:
            Control("\\par");
            return;
        case 0:
            return;
        default:
            break;
        }
        if (cp >= 0x20 && cp < 0x80) {
            if (NeedDelimiter)
                Out += ' ';
            Out += static_cast<char>(cp);
            NeedDelimiter = false;
            return;
        }
        if (cp < 0x20) {
            Unicode(cp); // a control character the text carries is kept, not interpreted
            return;
        }
        if (const auto byte = UnicodeToCodePage(cp, kCodePage)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(*byte));
            Out += hex;
            NeedDelimiter = false;
            return;
        }
        if (cp > 0xFFFF) {
            const char32_t v = cp - 0x10000;
            Unicode(0xD800 + (v >> 10));
            Unicode(0xDC00 + (v & 0x3FF));
        } else {
            Unicode(cp);
        }
    }

    // \uN takes a signed 16-bit number; "?" is the one-byte fallback that \uc1 announces.
    void Unicode(char32_t unit)
    {
        const int value = unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit);
        Out += "\\u" + std::to_string(value) + "?";
        NeedDelimiter = false;
    }

    void Control(const std::string& words)
    {
        Out += words;
        NeedDelimiter = true;
    }

    void Raw(const char* text)
    {
        Out += text;
        NeedDelimiter = false;
    }

    void NewLine()
    {
        Out += "\r\n";
        LineStart = Out.size();
        NeedDelimiter = false;
    }

    const QTextDocument& Document;
    QString DefaultFamily;
    double DefaultPoints = 10.0;
    std::vector<QString> Fonts;
    std::vector<QColor> Colors;
    TRunProps Current;
    std::string Out;
    size_t LineStart = 0;
    bool NeedDelimiter = false;
};

} // namespace

std::string WriteRtf(const QTextDocument& document)
{
    return TRtfWriter(document).Run();
}

} // namespace zirko

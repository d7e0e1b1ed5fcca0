// The pages of a PDF file as pdftotext (poppler-utils) reads them: each page's size in points and
// its words with their boxes, so tests can tell where a text landed on the paper.
#pragma once

#include "support/ProcessRun.h"

#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zirko::test {

struct TPdfWord {
    QString Text;
    QRectF Box; // in points, from the page's top-left
};

struct TPdfPage {
    double Width = 0; // points
    double Height = 0;
    std::vector<TPdfWord> Words;

    QString Text() const
    {
        QStringList words;
        for (const TPdfWord& w : Words)
            words << w.Text;
        return words.join(' ');
    }
    // The first word that reads `text`; null when there is none.
    const TPdfWord* Find(const QString& text) const
    {
        for (const TPdfWord& w : Words)
            if (w.Text == text)
                return &w;
        return nullptr;
    }
};

// Empty when pdftotext is not installed; a file it cannot read gives no pages.
inline std::optional<std::vector<TPdfPage>> ReadPdfPages(const QString& file)
{
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        return std::nullopt;
    const TProcessRun run = RunProcess(tool, {"-bbox", file, "-"});
    if (run.Code == -1)
        return std::vector<TPdfPage>{};
    const QString html = QString::fromUtf8(run.Out);
    static const QRegularExpression kPage(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    static const QRegularExpression kWord(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<TPdfPage> pages;
    const QStringList parts = html.split("</page>");
    for (const QString& part : parts) {
        const QRegularExpressionMatch page = kPage.match(part);
        if (!page.hasMatch())
            continue;
        TPdfPage p;
        p.Width = page.captured(1).toDouble();
        p.Height = page.captured(2).toDouble();
        for (auto it = kWord.globalMatch(part, page.capturedEnd()); it.hasNext();) {
            const QRegularExpressionMatch w = it.next();
            const QPointF topLeft(w.captured(1).toDouble(), w.captured(2).toDouble());
            const QPointF bottomRight(w.captured(3).toDouble(), w.captured(4).toDouble());
            QString text = w.captured(5);
            text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">");
            text.replace("&quot;", "\"").replace("&#39;", "'");
            p.Words.push_back({text, QRectF(topLeft, bottomRight)});
        }
        pages.push_back(std::move(p));
    }
    return pages;
}

} // namespace zirko::test

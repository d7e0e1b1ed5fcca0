// The score sheet on paper or as PDF: a title, the table with its header on every page and the
// totals under the last flight.
#pragma once

#include "core/report/ScoreSheet.h"

#include <QString>

class QPagedPaintDevice;

namespace zirko {

inline constexpr const char* kScoreSheetTitle = "Score sheet";

// Every page of the sheet on `device` (begun here). Returns the failure's text, empty on success.
QString PrintScoreSheet(const TScoreSheet& sheet, QPagedPaintDevice& device);
// The pages as a PDF file, replacing the file only once it is complete.
QString WriteScoreSheetPdf(const TScoreSheet& sheet, const QString& fileName);

// The file is CSV unless its name ends in ".pdf" (any case).
bool IsPdfName(const QString& fileName);

} // namespace zirko

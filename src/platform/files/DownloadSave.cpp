#include "platform/files/DownloadSave.h"

#include "platform/files/LogbookIndex.h"
#include "platform/locale/SavingMoment.h"

#include <QDateTime>

namespace zirko {

TDownloadSave::TDownloadSave(const TDownloadSaveOptions& options)
{
    SaverPaths.DataFolder = options.DataFolder;
    SaverPaths.BackupFolder = options.BackupFolder;
    SaverPaths.SkipKnown = options.SkipKnown;
    SaverPaths.Analysis = options.Analysis;
    if (options.SkipKnown)
        SaverPaths.IndexPath =
            options.IndexPath.value_or(TLogbookIndex::DefaultPath().toStdString());
    Split.DefaultFileName = options.FileName;
    DateGiven = options.DateText.has_value();
    Split.DateText = options.DateText.value_or(std::string());
}

TSplitResult TDownloadSave::Run(std::span<const uint8_t> image, int64_t lastDataIndex,
                                TFlightSaveUi& ui)
{
    // Every flight of one download carries the same moment: when its saving began.
    if (!DateGiven) {
        Split.DateText = SavingMomentText(QDateTime::currentDateTime()).toStdString();
        DateGiven = true;
    }
    const TFlightSaver saver(SaverPaths);
    return saver.DataReadingFinished(image, lastDataIndex, Split, ui);
}

std::string TDownloadSave::FileNameAfter(const TSplitResult& result) const
{
    return result.Segments > 0 ? DefaultFileNameForSaving(Split.DefaultFileName)
                               : Split.DefaultFileName;
}

} // namespace zirko

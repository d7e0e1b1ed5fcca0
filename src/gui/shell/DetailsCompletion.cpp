#include "gui/shell/DetailsCompletion.h"

#include "platform/files/LogbookIndex.h"

#include <QSet>
#include <QStringListModel>
#include <QThread>

#include <algorithm>

namespace zirko {

namespace {

// Adds the values the model does not hold yet (in any case) and keeps it sorted.
void MergeInto(QStringListModel* model, const std::set<std::string>& added)
{
    QStringList values = model->stringList();
    QSet<QString> folded;
    for (const QString& v : values)
        folded.insert(v.toCaseFolded());
    const qsizetype before = values.size();
    for (const auto& value : added) {
        const QString text = QString::fromStdString(value).trimmed();
        if (!text.isEmpty() && !folded.contains(text.toCaseFolded())) {
            folded.insert(text.toCaseFolded());
            values << text;
        }
    }
    if (values.size() == before)
        return;
    std::sort(values.begin(), values.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    model->setStringList(values);
}

} // namespace

void TUsedValues::Add(const TFlightDetails& details)
{
    Models.insert(details.Model);
    Sites.insert(details.Site);
    Pilots.insert(details.Pilot);
    Tags.insert(details.Tags.begin(), details.Tags.end());
}

TDetailsCompletion::TDetailsCompletion(QObject* parent)
    : QObject(parent), Models(new QStringListModel(this)), Sites(new QStringListModel(this)),
      Pilots(new QStringListModel(this)), Tags(new QStringListModel(this))
{
}

TDetailsCompletion::~TDetailsCompletion()
{
    // Reading the index is quick; the worker must not outlive what it reports to.
    if (Worker) {
        Worker->wait();
        delete Worker;
    }
}

bool TDetailsCompletion::Gathering() const
{
    return Worker && !Worker->isFinished();
}

void TDetailsCompletion::Gather(const QString& dataDir)
{
    if (Worker) {
        // One gathering at a time: the folder's values are all that is kept anyway.
        Worker->wait();
        delete Worker;
        Worker = nullptr;
    }
    auto found = std::make_shared<TUsedValues>();
    Found = found;
    const std::string root = dataDir.toStdString();
    Worker = QThread::create([found, root] {
        const TLogbookIndex index(TLogbookIndex::DefaultPath());
        if (index.Usable())
            for (const auto& details : index.StoredDetails(root))
                found->Add(details);
    });
    connect(Worker, &QThread::finished, this, [this, found] {
        if (found == Found)
            Merge(*found);
        emit Gathered();
    });
    Worker->start(QThread::LowPriority);
}

void TDetailsCompletion::Add(const TFlightDetails& details)
{
    TUsedValues values;
    values.Add(details);
    Merge(values);
}

void TDetailsCompletion::Merge(const TUsedValues& values)
{
    MergeInto(Models, values.Models);
    MergeInto(Sites, values.Sites);
    MergeInto(Pilots, values.Pilots);
    MergeInto(Tags, values.Tags);
}

} // namespace zirko

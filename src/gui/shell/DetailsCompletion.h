// The values already used for a flight's model, site, pilot and tags, offered while one is typed.
#pragma once

#include "core/logbook/FlightDetails.h"

#include <QObject>
#include <QString>

#include <memory>
#include <set>
#include <string>

class QStringListModel;
class QThread;

namespace zirko {

// Each detail's values, each once.
struct TUsedValues {
    std::set<std::string> Models, Sites, Pilots, Tags;
    void Add(const TFlightDetails& details);
};

class TDetailsCompletion : public QObject {
    Q_OBJECT
public:
    explicit TDetailsCompletion(QObject* parent = nullptr);
    ~TDetailsCompletion() override;

    // Adds the details the logbook's index holds of the flights under `dataDir`. The index is read
    // on a worker thread (no flight file is), so a large folder never holds up the window;
    // Gathered tells when the values are in.
    void Gather(const QString& dataDir);
    bool Gathering() const;
    // Adds the values of one flight (an open or edited one).
    void Add(const TFlightDetails& details);

    // Sorted without regard to case, each value once.
    QStringListModel* Models = nullptr;
    QStringListModel* Sites = nullptr;
    QStringListModel* Pilots = nullptr;
    QStringListModel* Tags = nullptr;

signals:
    void Gathered();

private:
    void Merge(const TUsedValues& values);

    QThread* Worker = nullptr;
    // What the worker found; only read after it finished.
    std::shared_ptr<TUsedValues> Found;
};

} // namespace zirko

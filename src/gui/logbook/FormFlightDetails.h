// The dialog that sets model, site, pilot and tags of the flights chosen on the logbook page.
#pragma once

#include "core/logbook/FlightDetails.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QLineEdit;
class QLabel;

namespace zirko {

class TFormFlightDetails : public QDialog {
    Q_OBJECT
public:
    explicit TFormFlightDetails(QWidget* parent = nullptr);

    // Fills the fields with what the flights share; a field where they differ stays empty and
    // says so. `used` offers the values already in the data folder as completions.
    struct TUsedValues {
        QStringList Models, Sites, Pilots, Tags;
    };
    void Prepare(const std::vector<TFlightDetails>& flights, const TUsedValues& used);
    // The fields the user changed: an emptied field removes its line, an untouched one stays.
    TDetailsEdit Edit() const;

private:
    QLabel* LabelFlights = nullptr;
    QLineEdit* EditModel = nullptr;
    QLineEdit* EditSite = nullptr;
    QLineEdit* EditPilot = nullptr;
    QLineEdit* EditTags = nullptr;

    bool ModelChanged = false, SiteChanged = false, PilotChanged = false, TagsChanged = false;
};

} // namespace zirko

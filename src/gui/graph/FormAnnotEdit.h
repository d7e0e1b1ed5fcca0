// The annotation edit dialog: time, altitude and text of one annotation.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zirko {

class TFormAnnotEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFormAnnotEdit(QWidget* parent = nullptr);

    void Fill(const QString& time, const QString& altitude, const QString& text);
    // Numbers as typed, with 0 for text that is not a number.
    double TimeValue() const;
    double AltitudeValue() const;
    QString TextValue() const;

    QLineEdit* EditTime = nullptr;
    QLineEdit* EditAlt = nullptr;
    QLineEdit* EditText = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace zirko

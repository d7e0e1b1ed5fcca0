// Entry fields that take only some characters, whether typed, pasted or dropped: every key that
// types nothing printable (Backspace, Enter, Esc, navigation, shortcuts) still passes.
#pragma once

class QLineEdit;
class QString;

namespace zirko {

// Takes only digits and `extraCharacters`; other typed keys are dropped and other characters of
// pasted or dropped text are left out.
void InstallKeyFilter(QLineEdit* edit, const QString& extraCharacters);

// Number fields: digits, "-" and the user's decimal separator.
void InstallNumberKeyFilter(QLineEdit* edit);

// Takes everything but `refusedCharacters`.
void InstallRefusingKeyFilter(QLineEdit* edit, const QString& refusedCharacters);

} // namespace zirko

// Entry fields that take only some keys: digits, a few characters of their own, and every key
// that types nothing printable (Backspace, Enter, Esc, navigation, shortcuts).
#pragma once

class QString;
class QWidget;

namespace zirko {

// Drops every other printable key typed into `edit`.
void InstallKeyFilter(QWidget* edit, const QString& extraCharacters);

// Number fields: digits, "-" and the user's decimal separator.
void InstallNumberKeyFilter(QWidget* edit);

} // namespace zirko

// Number entry fields: only digits, "-", the decimal separator, Backspace, Enter and Esc pass.
#pragma once

class QWidget;

namespace zirko {

// Drops every other printable key typed into `edit`.
void InstallNumberKeyFilter(QWidget* edit);

} // namespace zirko

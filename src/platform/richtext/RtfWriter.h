// Writes a QTextDocument as RTF that rich-text editors read, fit to be stored inside a flight file.
#pragma once

#include <string>

class QTextDocument;

namespace zirko {

// RTF in code page 1250 with CR LF line ends. Every line begins with a control word or a brace, so
// no line can read as one of the flight file's section tags.
std::string WriteRtf(const QTextDocument& document);

} // namespace zirko

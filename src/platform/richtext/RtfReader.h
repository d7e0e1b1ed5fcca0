// Reads stored notes (RTF, or plain text from older files) into a QTextDocument.
#pragma once

#include <string_view>

class QTextDocument;

namespace zirko {

// True when the bytes begin (after blanks) with an RTF group "{\rtf".
bool IsRtf(std::string_view bytes);

// Replaces the document's content with the RTF. Malformed input is read as far as it makes sense;
// nothing in the bytes can make it fail.
void ReadRtf(std::string_view bytes, QTextDocument& document);

// Notes as stored in a flight: RTF is read as rich text, anything else as plain text (UTF-8 when
// valid, else Windows-1250). The undo history is cleared and the document marked unmodified.
void LoadNotesDocument(std::string_view bytes, QTextDocument& document);

} // namespace zirko

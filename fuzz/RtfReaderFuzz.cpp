// Fuzz target: any bytes read as notes; whatever is read must write out and read back unchanged.
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Text documents measure fonts, which needs the GUI application object.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "RtfReaderFuzz";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureApplication();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    QTextDocument first;
    zirko::LoadNotesDocument(bytes, first);
    const std::string rtf = zirko::WriteRtf(first);
    QTextDocument second;
    zirko::LoadNotesDocument(rtf, second);
    if (second.toPlainText() != first.toPlainText())
        std::abort();
    if (zirko::WriteRtf(second) != rtf)
        std::abort();
    return 0;
}

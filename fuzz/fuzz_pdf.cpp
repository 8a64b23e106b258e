// A PDF's bytes through poppler and the layout pass that rebuilds its
// paragraphs.
#include "DocumentTextChecks.h"
#include "platform/Failure.h"
#include "reading/documents/PdfText.h"

using namespace Quillfen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    try {
        ReadingChoices choices;
        choices.documentTimeout = std::chrono::milliseconds(2000);
        text = pdfTextOfBytes(bytes, choices);
    } catch (const Failure &) {
        return 0;
    }
    QuillfenFuzz::requireCrLf(text);
    QuillfenFuzz::require(!text.contains(QStringLiteral("\r\n\r\n\r\n")), "more than one empty line");
    return 0;
}

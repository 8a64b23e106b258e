// A PDF's bytes through poppler and the layout pass that rebuilds its
// paragraphs: the reader itself, as the PDF module runs it.
#include "DocumentTextChecks.h"
#include "reading/documents/PdfReading.h"

using namespace Quillfen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ReadingChoices choices;
    choices.documentTimeout = std::chrono::milliseconds(2000);
    const PdfReadResult read = readPdfBytes(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), choices);
    QuillfenFuzz::require(read.kind == PdfReadResult::Read || !read.problem.isEmpty(),
                          "a failure without a reason");
    QuillfenFuzz::requireCrLf(read.text);
    QuillfenFuzz::require(!read.text.contains(QStringLiteral("\r\n\r\n\r\n")),
                          "more than one empty line");
    return 0;
}

// A .docx, .odt or .epub file's bytes: the zip container with its limit,
// then the document's parts.
#include "DocumentTextChecks.h"
#include "platform/Failure.h"
#include "reading/documents/EpubText.h"
#include "reading/documents/OfficeText.h"

using namespace Quillfen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0] % 3;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QString text;
    try {
        text = choice == 0   ? docxTextOfBytes(bytes)
               : choice == 1 ? odtTextOfBytes(bytes)
                             : epubTextOfBytes(bytes);
    } catch (const Failure &failure) {
        const QString &reason = failure.description();
        QuillfenFuzz::require(reason.startsWith(QStringLiteral("it ")) ||
                                  reason.startsWith(QStringLiteral("its ")),
                              "a reason that does not say what is wrong with the file");
        return 0;
    }
    if (choice == 2)
        QuillfenFuzz::requireCrLf(text); // the HTML renderer keeps the pages' own blank lines
    else
        QuillfenFuzz::requireDocumentText(text);
    return 0;
}

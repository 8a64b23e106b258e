// One XML part of a Word or OpenDocument file: the walk that turns its
// elements into paragraphs, line breaks, tabs and notes.
#include "FuzzSupport.h"
#include "platform/Failure.h"
#include "reading/documents/OfficeText.h"

#include "DocumentTextChecks.h"

using namespace Quillfen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const QByteArray xml(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QString text;
    try {
        text = (choice & 1) ? odtContentText(xml) : docxPartText(xml);
    } catch (const Failure &) {
        return 0; // not well-formed, or nested too deep: one report
    }
    QuillfenFuzz::requireDocumentText(text);
    return 0;
}

// One XML part of a Word or OpenDocument file: the walk that turns its
// elements into paragraphs, line breaks, tabs and notes, whole and in
// slices of 1 to 64 bytes (the first byte's bits 1 to 6), the XML handed
// to the slicer whole or, when bit 7 is set, 1 to 7 bytes at a time as an
// archive's entry is inflated.
#include "DocumentTextChecks.h"
#include "FuzzSupport.h"
#include "platform/Failure.h"
#include "reading/documents/OfficeText.h"

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
    // Parsed in slices, as large parts are, wherever they fall: the same.
    const qsizetype sliceBytes = 1 + (choice >> 1) % 64;
    const qsizetype pieceBytes = (choice & 0x80) ? 1 + qsizetype(size % 7) : 0;
    QString sliced;
    try {
        sliced = (choice & 1) ? odtContentText(xml, sliceBytes, pieceBytes)
                              : docxPartText(xml, sliceBytes, pieceBytes);
    } catch (const Failure &) {
        QuillfenFuzz::require(false, "a part read whole fails in slices");
    }
    QuillfenFuzz::require(sliced == text, "a part in slices reads otherwise than whole");
    return 0;
}

#pragma once

#include "reading/ReadingChoices.h"

#include <QByteArrayView>
#include <QString>

namespace Quillfen {

// What reading a PDF gave: its text, or the text read before it was cut
// short and why, or why it could not be read.
struct PdfReadResult
{
    enum Kind { Read, Incomplete, Failed };
    QString text;
    QString problem;
    Kind kind = Failed;
};

// The PDF reader itself (poppler and the layout pass), which lives in the
// module quillfen-pdf.so so that the programs load poppler only when a PDF
// is read; PdfText.h is how the rest of the program calls it.
PdfReadResult readPdfBytes(QByteArrayView bytes, const ReadingChoices &choices);

} // namespace Quillfen

// The module's one export; the module's and the program's builds must match.
extern "C" {
using QuillfenReadPdf = void (*)(QByteArrayView bytes, const Quillfen::ReadingChoices &choices,
                                 Quillfen::PdfReadResult &result);
}

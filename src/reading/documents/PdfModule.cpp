// The PDF module (quillfen-pdf.so): the PDF reader behind one export.
#include "PdfReading.h"

extern "C" __attribute__((visibility("default"))) void
quillfenReadPdf(QByteArrayView bytes, const Quillfen::ReadingChoices &choices,
                Quillfen::PdfReadResult &result)
{
    result = Quillfen::readPdfBytes(bytes, choices);
}

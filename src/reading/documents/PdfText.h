#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

namespace Quillfen {

struct PdfLimits
{
    // Past this, reading a page's text stops and the document fails: a
    // page whose content never ends must not hold the run up.
    std::chrono::milliseconds perPage{10'000};
};

// The text of a PDF in reading order, with its paragraphs rebuilt from the
// page layout (see PdfLayout.h). An encrypted document, one poppler cannot
// open or one with no page it can read fails with one Failure naming the
// file; a page over the time limit too.
QString pdfText(const QString &path, const PdfLimits &limits = {});
QString pdfTextOfBytes(const QByteArray &bytes, const PdfLimits &limits = {});

} // namespace Quillfen

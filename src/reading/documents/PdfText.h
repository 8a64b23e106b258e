#pragma once

#include "reading/ReadingChoices.h"

#include <QByteArray>
#include <QString>

namespace Quillfen {

// The text of a PDF in reading order, with its paragraphs rebuilt from the
// page layout (see PdfLayout.h). An encrypted document, one poppler cannot
// open or one with no page it can read fails with one Failure naming the
// file. A document still being read when choices.documentTimeout is up,
// and one with no text layer at all (a scan), throw IncompleteText: the
// text of the pages read before, and why the rest is missing.
QString pdfText(const QString &path, const ReadingChoices &choices = {});
QString pdfTextOfBytes(const QByteArray &bytes, const ReadingChoices &choices = {});

} // namespace Quillfen

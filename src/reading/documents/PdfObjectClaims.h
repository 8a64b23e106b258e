#pragma once

#include <QByteArrayView>
#include <QString>

namespace Quillfen {

// A number in a PDF that poppler makes room for before it reads a single
// object: a count of object numbers (or of pages), and the words that
// show where it stands ("/Size 33000000").
struct PdfRoomClaim
{
    qint64 count = 0;
    QString what;
};

// The largest such number in a PDF's bytes: a /Size (a trailer's or a
// cross-reference stream's), the end of a cross-reference table's
// subsection or of a stream's /Index pair, an object's number ("N 0 obj":
// a table rebuilt from the objects makes room up to it) and the page count
// of a linearized file. They are found in the raw bytes, where poppler
// reads them; a look-alike (say, inside an uncompressed string) counts
// too, which errs on the side of memory.
PdfRoomClaim largestRoomClaim(QByteArrayView pdf);

// The most object numbers a PDF of this many bytes may claim room for.
qint64 objectRoomAllowed(qint64 bytes);

} // namespace Quillfen

#pragma once

#include <QByteArray>
#include <QString>

namespace Quillfen {

class ZipContainer;

// The text of an EPUB book (2 and 3): META-INF/container.xml names the
// package, whose spine gives the reading order of its XHTML documents;
// each is read as an HTML page's rendered text, and one empty line
// separates them. Throws Failure giving the reason alone.
QString epubTextOfBytes(QByteArray bytes);
QString epubText(ZipContainer &archive);

} // namespace Quillfen

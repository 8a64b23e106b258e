#pragma once

#include <QByteArray>
#include <QString>

namespace Quillfen {

class ZipContainer;

// The text of an EPUB book (2 and 3): META-INF/container.xml names the
// package, whose spine gives the reading order of its XHTML documents;
// each is read once, where the spine first names it, as an HTML page's
// rendered text with every block (div, list item, table row) a paragraph,
// and one empty line separates them. Throws Failure giving the reason
// alone; IncompleteText, with the text of the others, when documents the
// spine names are missing from the archive.
QString epubTextOfBytes(QByteArray bytes);
QString epubText(ZipContainer &archive);

} // namespace Quillfen

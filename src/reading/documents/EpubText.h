#pragma once

#include <QByteArray>
#include <QString>

namespace Quillfen {

class ZipContainer;

// The text of an EPUB book (2 and 3): META-INF/container.xml names the
// package, whose spine gives the reading order of its XHTML documents;
// each is read as an HTML page's rendered text, and one empty line
// separates them. Throws Failure naming the file.
QString epubText(const QString &path);
QString epubTextOfBytes(QByteArray bytes);
QString epubText(ZipContainer &archive);

} // namespace Quillfen

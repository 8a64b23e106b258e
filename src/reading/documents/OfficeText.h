#pragma once

#include <QByteArray>
#include <QString>

namespace Quillfen {

class ZipContainer;

// The text of a Word document (.docx): the main document's paragraphs in
// order, each table cell's paragraphs as paragraphs, line breaks as line
// ends and tabs as tabs, then the footnotes and the endnotes. Field codes
// and deleted revisions are left out. Throws Failure giving the reason
// alone ("it is encrypted"); the caller names the file.
QString docxTextOfBytes(QByteArray bytes);
QString docxText(ZipContainer &archive);

// The text of an OpenDocument text (.odt): paragraphs, headings, list
// items and table cells as paragraphs, text:s, text:tab and
// text:line-break as spaces, tabs and line ends, then the notes.
QString odtTextOfBytes(QByteArray bytes);
QString odtText(ZipContainer &archive);

// The text of one XML part by itself, for the fuzz targets: a Word body or
// notes part, or an OpenDocument content.xml.
QString docxPartText(QByteArray xml);
QString odtContentText(QByteArray xml);
// The same parsed in slices of about sliceBytes, as large parts are (see
// XmlSlices.h), the XML handed to the slicer pieceBytes at a time (all at
// once: 0), as an archive's entry is inflated: the text must depend on
// neither.
QString docxPartText(QByteArray xml, qsizetype sliceBytes, qsizetype pieceBytes = 0);
QString odtContentText(QByteArray xml, qsizetype sliceBytes, qsizetype pieceBytes = 0);

} // namespace Quillfen

#pragma once

#include "reading/ReadingChoices.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <span>

namespace Quillfen {

// How a file of one format is read: the one place that decides it, for the
// run, the command line, --text, the binary-file rule and the Add File(s)
// filter alike. Adding a format is one entry here and one reader.
struct DocumentFormat
{
    QStringView name;
    // Lower-case extensions without the dot, for names and the filter.
    std::span<const QStringView> extensions;
    // Whether a file's first bytes (at most SignatureBytes of them) are of
    // this format; none: known by its extension alone.
    bool (*hasSignature)(QByteArrayView head);
    // The text of the file's bytes, read once by the caller (no reader
    // opens the file again, which may no longer be the file checked), CR
    // LF, paragraphs separated by one empty line; throws Failure naming
    // path. None: read as a text file is read (its byte-order mark or
    // encoding, in blocks when large).
    QString (*readText)(QByteArray bytes, const QString &path, const ReadingChoices &choices);
};

// The bytes of a file's start that the signatures look at.
constexpr qsizetype SignatureBytes = 1024;

// The format of a file from its first bytes (at least SignatureBytes of
// them, or the whole file): the signature first, then the extension of
// path, else plain text.
const DocumentFormat &formatOf(const QString &path, QByteArrayView head);
// The same, reading the file's start; a file that cannot be read is
// judged by its name alone (its reader then reports it).
const DocumentFormat &formatOfFile(const QString &path);
// By the extension alone.
const DocumentFormat &formatOfName(const QString &path);

const DocumentFormat &plainTextFormat();

// True when the format has a reader of its own: its text is not the file's
// bytes decoded, so the binary-file rule does not apply.
bool isKnownDocument(const DocumentFormat &format);

// "*.txt *.htm *.html *.docx *.odt *.epub *.pdf": the Add File(s) dialog's
// first filter.
QStringList addFilesPatterns();
QString addFilesFilter();

// The text of one input file, read as every run reads it: the file opened
// and read once, then its format's reader (an HTML page's rendered text, a
// document's text) or, for plain text, its bytes decoded (in
// choices.encoding when one is set). Throws Failure naming the file, or
// IncompleteText for a document read only in part.
QString readDocumentText(const QString &path, const ReadingChoices &choices = {});

} // namespace Quillfen

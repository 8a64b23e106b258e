#pragma once

#include "Segmentation.h"
#include "Utf8Paragraphs.h"
#include "reading/HtmlTextSource.h"
#include "reading/ReadingChoices.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace Quillfen {

// A file that could not be read: which, and why (the description names
// the path too, as the window's report shows it).
struct FileFailure
{
    QString path;
    QString description;
};

// A failure in one line: the description, led by the path when it does not
// name it. Control characters are escaped (escapedText), save the
// description's line breaks, which become spaces.
QString failureLine(const FileFailure &failure);

struct DocumentFormat;

// Whether a file of this format is read as text (no document reader).
bool isPlainText(const DocumentFormat &format);
bool isHtml(const DocumentFormat &format);

// The text list of one input file, read as the run reads it: by the reader
// its format names (DocumentFormats.h; HTML pages through html, the
// rendered text), a text file by its bytes (TextFileDecoding.h). Throws
// Failure, or IncompleteText for a document read only in part.
QStringList readInputFile(const QString &path, HtmlTextSource &html,
                          const ReadingChoices &choices = {});
QStringList readInputFile(const QString &path, const DocumentFormat &format, HtmlTextSource &html,
                          const ReadingChoices &choices = {});

// Every row of one file for fixed choices, as the run appends them when
// nothing changes while it yields. Returns the failure instead of rows
// when the file cannot be read, and with the rows read when a document
// could be read only in part.
std::optional<FileFailure> extractFile(const QString &path, ExtractMode mode,
                                       const AbbreviationShield &shield, const LineFilter &filter,
                                       HtmlTextSource &html, RowSink &sink,
                                       const ReadingChoices &choices = {});

// The same rows for output that wants UTF-8: rows of text files go to
// utf8Sink, cut from the file's text as UTF-8 (its very bytes when it is
// UTF-8), when the mode, the shield and the filter allow; every other row
// goes to sink.
std::optional<FileFailure> extractFileAsUtf8(const QString &path, ExtractMode mode,
                                             const AbbreviationShield &shield,
                                             const LineFilter &filter, HtmlTextSource &html,
                                             RowSink &sink, Utf8RowSink &utf8Sink,
                                             const ReadingChoices &choices = {});

// The rows of a text file's bytes already read (standard input, named
// name in a failure): to utf8Sink when they can be cut as UTF-8, else to
// sink. Throws Failure when they are binary.
void extractTextBytes(const QString &name, QByteArrayView bytes, ExtractMode mode,
                      const AbbreviationShield &shield, const LineFilter &filter, RowSink &sink,
                      Utf8RowSink &utf8Sink);

// True when texts can be cut as UTF-8 with these choices (see cutUtf8).
bool canCutUtf8(ExtractMode mode, const AbbreviationShield &shield, const LineFilter &filter);

// Room for converting files' texts to UTF-8, used again from file to file
// on one thread: fresh memory costs the system more than the conversion.
class Utf8Scratch
{
public:
    QByteArray utf8;
    QString text;
    // Lets go of room that only a large file needed.
    void trim();
};

// The text that decodeTextOfFile gives for a text file's bytes, as UTF-8:
// the bytes themselves without their mark when they are valid UTF-8, else
// the text converted into scratch. Throws Failure naming path when the file
// is binary.
QByteArrayView utf8TextOfFile(const QString &path, QByteArrayView bytes, Utf8Scratch &scratch);

// The rows of a text file's text (its bytes as read) cut as UTF-8,
// converted in room the calling thread keeps; only when canCutUtf8(mode,
// shield, filter). Throws Failure as utf8TextOfFile does.
void cutUtf8TextOfFile(const QString &path, QByteArrayView bytes, ExtractMode mode,
                       const AbbreviationShield &shield, const LineFilter &filter,
                       Utf8RowSink &sink);

// The rows of a valid UTF-8 text, cut and handled as UTF-8, to sink; only
// when canCutUtf8(mode, shield, filter).
void cutUtf8(QByteArrayView utf8, ExtractMode mode, const AbbreviationShield &shield,
             const LineFilter &filter, Utf8RowSink &sink);

} // namespace Quillfen

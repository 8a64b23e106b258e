#pragma once

#include "RunChoices.h"
#include "Utf8Paragraphs.h"

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

// Every row of one file for the run's choices. Returns the failure instead
// of rows when the file cannot be read, and with the rows read when a
// document could be read only in part.
std::optional<FileFailure> extractFile(const QString &path, const RunChoices &choices,
                                       RowSink &sink);

// The same rows for output that wants UTF-8: rows of text files go to
// utf8Sink, cut from the file's text as UTF-8 (its very bytes when it is
// UTF-8), when the choices allow; every other row goes to sink.
std::optional<FileFailure> extractFileAsUtf8(const QString &path, const RunChoices &choices,
                                             RowSink &sink, Utf8RowSink &utf8Sink);

// The rows of a text file's bytes already read (standard input, named
// name in a failure): to utf8Sink when they can be cut as UTF-8, else to
// sink. Throws Failure when they are binary.
void extractTextBytes(const QString &name, QByteArrayView bytes, const RunChoices &choices,
                      RowSink &sink, Utf8RowSink &utf8Sink);

// True when texts can be cut as UTF-8 with these choices (see cutUtf8):
// Paragraph or smart sentence mode, or Sentence mode with an abbreviation
// list a byte search can find, and a filter without an unpaired surrogate.
bool canCutUtf8(const RunChoices &choices);

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
// the text converted into scratch (decoded in forced when it is set).
// Throws Failure naming path when the file is binary.
QByteArrayView utf8TextOfFile(const QString &path, QByteArrayView bytes, Utf8Scratch &scratch,
                              const QByteArray &forced = {});

// The rows of a text file's text (its bytes as read) cut as UTF-8,
// converted in room the calling thread keeps; only when
// canCutUtf8(choices). Throws Failure as utf8TextOfFile does.
void cutUtf8TextOfFile(const QString &path, QByteArrayView bytes, const RunChoices &choices,
                       Utf8RowSink &sink);

// The rows of a valid UTF-8 text, cut and handled as UTF-8, to sink; only
// when canCutUtf8(choices).
void cutUtf8(QByteArrayView utf8, const RunChoices &choices, Utf8RowSink &sink);

} // namespace Quillfen

#include "FileExtraction.h"

#include "BlockExtraction.h"
#include "SmartSentences.h"
#include "Utf8Paragraphs.h"
#include "Utf8Sentences.h"
#include "platform/EscapedText.h"
#include "platform/Failure.h"
#include "platform/FileReading.h"
#include "reading/IncompleteText.h"
#include "reading/TextDecoding.h"
#include "reading/Utf8Encoding.h"
#include "reading/documents/DocumentFormats.h"
#include "reading/encodings/LegacyEncoding.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QFileInfo>

namespace Quillfen {

namespace {

void extractText(const QString &text, const RunChoices &choices, RowSink &sink)
{
    PieceHandler handler;
    const PieceList pieces = cutText(text, choices.mode, choices.shield);
    const ShieldedOccurrences *restoreWith = pieces.shielded ? &pieces.occurrences : nullptr;
    for (qsizetype m = 0; m < pieces.size(); ++m)
        handler.handle(pieces.piece(m), choices.mode == ExtractMode::Paragraph, restoreWith,
                       choices.filter, sink, pieces.isPlain(m));
}

bool isLargeTextFile(const QString &path, const DocumentFormat &format)
{
    return !isKnownDocument(format) && QFileInfo(path).size() >= BlockwiseFileBytes;
}

} // namespace

std::optional<FileFailure> extractFile(const QString &path, const RunChoices &choices,
                                       RowSink &sink)
{
    QString text;
    std::optional<FileFailure> failure;
    try {
        if (isLargeTextFile(path, formatOfFile(path))) {
            extractTextFileInBlocks(path, choices, sink);
            return std::nullopt;
        }
        text = readDocumentText(path, choices.reading);
    } catch (const IncompleteText &partial) {
        text = partial.text();
        failure = FileFailure{path, partial.description()};
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    extractText(text, choices, sink);
    return failure;
}

std::optional<FileFailure> extractFileAsUtf8(const QString &path, const RunChoices &choices,
                                             RowSink &sink, Utf8RowSink &utf8Sink)
{
    if (!canCutUtf8(choices))
        return extractFile(path, choices, sink);
    try {
        const DocumentFormat &format = formatOfFile(path);
        if (isKnownDocument(format) || isLargeTextFile(path, format))
            return extractFile(path, choices, sink);
        cutUtf8TextOfFile(path, readWholeFile(path), choices, utf8Sink);
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    return std::nullopt;
}

void extractTextBytes(const QString &name, QByteArrayView bytes, const RunChoices &choices,
                      RowSink &sink, Utf8RowSink &utf8Sink)
{
    if (canCutUtf8(choices))
        cutUtf8TextOfFile(name, bytes, choices, utf8Sink);
    else
        extractText(decodeTextOfFile(name, bytes, choices.reading.encoding), choices, sink);
}

namespace {

// A description's line breaks become spaces; its other control characters
// are escaped.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return escapedText(text);
}

} // namespace

QString failureLine(const FileFailure &failure)
{
    // The path's own control characters are escaped, never made spaces.
    const QString path = escapedText(failure.path);
    if (failure.path.isEmpty() || !failure.description.contains(failure.path))
        return (failure.path.isEmpty() ? QString() : path + QStringLiteral(": ")) +
               oneLine(failure.description);
    QStringList parts = failure.description.split(failure.path);
    for (QString &part : parts)
        part = oneLine(part);
    return parts.join(path);
}

bool canCutUtf8(const RunChoices &choices)
{
    const ExtractMode mode = choices.mode;
    const bool modeAllows = mode == ExtractMode::Paragraph || mode == ExtractMode::SmartSentence ||
                            (mode == ExtractMode::Sentence && choices.shield.worksOnUtf8());
    return modeAllows && Utf8LineFilter::canFilter(choices.filter);
}

void Utf8Scratch::trim()
{
    constexpr qsizetype KeptBytes = 4 << 20;
    if (utf8.capacity() > KeptBytes)
        utf8 = QByteArray();
    if (text.capacity() > KeptBytes / 2)
        text = QString();
}

QByteArrayView utf8TextOfFile(const QString &path, QByteArrayView bytes, Utf8Scratch &scratch,
                              const QByteArray &forced)
{
    // As it stands when it is valid UTF-8, else from the decoded text, which
    // holds no unpaired surrogate and so encodes exactly. The bytes after a
    // mark are validated once, for the decision and for this; a mark of
    // UTF-16 or UTF-32 decides alone.
    const std::optional<ByteOrderMark> mark = detectByteOrderMark(bytes);
    const bool validUtf8 = (!mark || mark->encoding == TextEncoding::Utf8) &&
                           isValidUtf8(bytes.sliced(mark ? mark->length : 0));
    const TextDecision decision = decideTextDecoding(bytes, true, validUtf8, forced);
    const QByteArrayView text = bytes.sliced(decision.markLength);
    if (decision.kind == TextDecision::Kind::Binary)
        refuseBinaryFile(path);
    if (decision.kind == TextDecision::Kind::Encoding) {
        // A UTF-8 mark gives the same bytes after it as were validated.
        if (decision.encoding == TextEncoding::Utf8 && validUtf8)
            return text;
        if (decision.encoding == TextEncoding::Windows1252) {
            windows1252ToUtf8(text, scratch.utf8);
            return scratch.utf8;
        }
        decode(text, decision.encoding, scratch.text);
    } else {
        scratch.text = decodeWithEncoding(bytes, decision.name);
    }
    scratch.utf8.resize(0);
    appendUtf8(scratch.utf8, scratch.text);
    return scratch.utf8;
}

void cutUtf8TextOfFile(const QString &path, QByteArrayView bytes, const RunChoices &choices,
                       Utf8RowSink &sink)
{
    thread_local Utf8Scratch scratch;
    cutUtf8(utf8TextOfFile(path, bytes, scratch, choices.reading.encoding), choices, sink);
    scratch.trim();
}

void cutUtf8(QByteArrayView utf8, const RunChoices &choices, Utf8RowSink &sink)
{
    if (choices.mode == ExtractMode::Paragraph)
        Utf8Paragraphs(choices.filter).extract(utf8, sink);
    else if (choices.mode == ExtractMode::SmartSentence)
        SmartSentences(choices.shield.entries(), choices.filter).extract(utf8, sink);
    else
        Utf8Sentences(choices.shield.utf8Matcher(), choices.filter).extract(utf8, sink);
}

} // namespace Quillfen

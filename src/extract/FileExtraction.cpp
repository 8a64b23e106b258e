#include "FileExtraction.h"

#include "BlockExtraction.h"
#include "ExtractionRun.h"
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

bool isPlainText(const DocumentFormat &format)
{
    return &format == &plainTextFormat();
}

bool isHtml(const DocumentFormat &format)
{
    return format.name == u"html";
}

QStringList readInputFile(const QString &path, HtmlTextSource &html, const ReadingChoices &choices)
{
    return readInputFile(path, formatOfFile(path), html, choices);
}

QStringList readInputFile(const QString &path, const DocumentFormat &format, HtmlTextSource &html,
                          const ReadingChoices &choices)
{
    if (isHtml(format))
        return {html.renderedText(path)};
    if (format.readText)
        return {format.readText(readWholeFile(path), path, choices)};
    return ReadTextFile(path);
}

namespace {

void extractTexts(const QStringList &texts, ExtractMode mode, const AbbreviationShield &shield,
                  const LineFilter &filter, RowSink &sink)
{
    PieceHandler handler;
    for (const QString &text : texts) {
        const PieceList pieces = cutText(text, mode, shield);
        const ShieldedOccurrences *restoreWith = pieces.shielded ? &pieces.occurrences : nullptr;
        for (qsizetype m = 0; m < pieces.size(); ++m)
            handler.handle(pieces.piece(m), mode == ExtractMode::Paragraph, restoreWith, filter,
                           sink, pieces.isPlain(m));
    }
}

} // namespace

std::optional<FileFailure> extractFile(const QString &path, ExtractMode mode,
                                       const AbbreviationShield &shield, const LineFilter &filter,
                                       HtmlTextSource &html, RowSink &sink,
                                       const ReadingChoices &choices)
{
    QStringList texts;
    std::optional<FileFailure> failure;
    try {
        const DocumentFormat &format = formatOfFile(path);
        if (isPlainText(format) && QFileInfo(path).size() >= BlockwiseFileBytes) {
            extractTextFileInBlocks(path, mode, shield, filter, sink);
            return std::nullopt;
        }
        texts = readInputFile(path, format, html, choices);
    } catch (const IncompleteText &partial) {
        texts = {partial.text()};
        failure = FileFailure{path, partial.description()};
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    extractTexts(texts, mode, shield, filter, sink);
    return failure;
}

std::optional<FileFailure> extractFileAsUtf8(const QString &path, ExtractMode mode,
                                             const AbbreviationShield &shield,
                                             const LineFilter &filter, HtmlTextSource &html,
                                             RowSink &sink, Utf8RowSink &utf8Sink,
                                             const ReadingChoices &choices)
{
    if (!canCutUtf8(mode, shield, filter))
        return extractFile(path, mode, shield, filter, html, sink, choices);
    try {
        const DocumentFormat &format = formatOfFile(path);
        if (!isPlainText(format))
            return extractFile(path, mode, shield, filter, html, sink, choices);
        if (QFileInfo(path).size() >= BlockwiseFileBytes) {
            extractTextFileInBlocks(path, mode, shield, filter, sink);
            return std::nullopt;
        }
        cutUtf8TextOfFile(path, readWholeFile(path), mode, shield, filter, utf8Sink);
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    return std::nullopt;
}

void extractTextBytes(const QString &name, QByteArrayView bytes, ExtractMode mode,
                      const AbbreviationShield &shield, const LineFilter &filter, RowSink &sink,
                      Utf8RowSink &utf8Sink)
{
    if (canCutUtf8(mode, shield, filter))
        cutUtf8TextOfFile(name, bytes, mode, shield, filter, utf8Sink);
    else
        extractTexts({decodeTextOfFile(name, bytes)}, mode, shield, filter, sink);
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

bool canCutUtf8(ExtractMode mode, const AbbreviationShield &shield, const LineFilter &filter)
{
    const bool modeAllows = mode == ExtractMode::Paragraph || mode == ExtractMode::SmartSentence ||
                            (mode == ExtractMode::Sentence && shield.worksOnUtf8());
    return modeAllows && Utf8LineFilter::canFilter(filter);
}

void Utf8Scratch::trim()
{
    constexpr qsizetype KeptBytes = 4 << 20;
    if (utf8.capacity() > KeptBytes)
        utf8 = QByteArray();
    if (text.capacity() > KeptBytes / 2)
        text = QString();
}

QByteArrayView utf8TextOfFile(const QString &path, QByteArrayView bytes, Utf8Scratch &scratch)
{
    // As it stands when it is valid UTF-8, else from the decoded text, which
    // holds no unpaired surrogate and so encodes exactly. The bytes after a
    // mark are validated once, for the decision and for this; a mark of
    // UTF-16 or UTF-32 decides alone.
    const std::optional<ByteOrderMark> mark = detectByteOrderMark(bytes);
    const bool validUtf8 = (!mark || mark->encoding == TextEncoding::Utf8) &&
                           isValidUtf8(bytes.sliced(mark ? mark->length : 0));
    const TextDecision decision = decideTextDecoding(bytes, true, validUtf8);
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

void cutUtf8TextOfFile(const QString &path, QByteArrayView bytes, ExtractMode mode,
                       const AbbreviationShield &shield, const LineFilter &filter,
                       Utf8RowSink &sink)
{
    thread_local Utf8Scratch scratch;
    cutUtf8(utf8TextOfFile(path, bytes, scratch), mode, shield, filter, sink);
    scratch.trim();
}

void cutUtf8(QByteArrayView utf8, ExtractMode mode, const AbbreviationShield &shield,
             const LineFilter &filter, Utf8RowSink &sink)
{
    if (mode == ExtractMode::Paragraph)
        Utf8Paragraphs(filter).extract(utf8, sink);
    else if (mode == ExtractMode::SmartSentence)
        SmartSentences(shield.entries(), filter).extract(utf8, sink);
    else
        Utf8Sentences(shield.utf8Matcher(), filter).extract(utf8, sink);
}

} // namespace Quillfen

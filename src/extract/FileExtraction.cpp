#include "FileExtraction.h"

#include "BlockExtraction.h"
#include "SmartSentences.h"
#include "ExtractionRun.h"
#include "Utf8Paragraphs.h"
#include "Utf8Sentences.h"
#include "platform/Failure.h"
#include "platform/FileReading.h"
#include "reading/TextDecoding.h"
#include "reading/TextFileReader.h"
#include "reading/Utf8Encoding.h"

#include <QFileInfo>

namespace Quillfen {

QStringList readInputFile(const QString &path, HtmlTextSource &html)
{
    if (isHtmlPath(path))
        return {html.renderedText(path)};
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
                                       HtmlTextSource &html, RowSink &sink)
{
    QStringList texts;
    try {
        if (!isHtmlPath(path) && QFileInfo(path).size() >= BlockwiseFileBytes) {
            extractTextFileInBlocks(path, mode, shield, filter, sink);
            return std::nullopt;
        }
        texts = readInputFile(path, html);
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    extractTexts(texts, mode, shield, filter, sink);
    return std::nullopt;
}

std::optional<FileFailure> extractFileAsUtf8(const QString &path, ExtractMode mode,
                                             const AbbreviationShield &shield,
                                             const LineFilter &filter, HtmlTextSource &html,
                                             RowSink &sink, Utf8RowSink &utf8Sink)
{
    if (isHtmlPath(path) || !canCutUtf8(mode, shield, filter))
        return extractFile(path, mode, shield, filter, html, sink);
    QByteArray bytes;
    try {
        if (QFileInfo(path).size() >= BlockwiseFileBytes) {
            extractTextFileInBlocks(path, mode, shield, filter, sink);
            return std::nullopt;
        }
        bytes = readWholeFile(path);
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }

    cutUtf8TextOfFile(bytes, mode, shield, filter, utf8Sink);
    return std::nullopt;
}

void extractTextBytes(QByteArrayView bytes, ExtractMode mode, const AbbreviationShield &shield,
                      const LineFilter &filter, RowSink &sink, Utf8RowSink &utf8Sink)
{
    if (canCutUtf8(mode, shield, filter))
        cutUtf8TextOfFile(bytes, mode, shield, filter, utf8Sink);
    else
        extractTexts({decodeTextFile(bytes)}, mode, shield, filter, sink);
}

QString failureLine(const FileFailure &failure)
{
    QString line = failure.description.contains(failure.path)
                       ? failure.description
                       : failure.path + QStringLiteral(": ") + failure.description;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
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

QByteArrayView utf8TextOfFile(QByteArrayView bytes, Utf8Scratch &scratch)
{
    // As it stands when it is valid UTF-8, else from the decoded text, which
    // holds no unpaired surrogate and so encodes exactly.
    if (const auto mark = detectByteOrderMark(bytes)) {
        const QByteArrayView rest = bytes.sliced(mark->length);
        if (mark->encoding == TextEncoding::Utf8 && isValidUtf8(rest))
            return rest;
        decode(rest, mark->encoding, scratch.text);
        scratch.utf8.resize(0);
        appendUtf8(scratch.utf8, scratch.text);
        return scratch.utf8;
    }
    if (isValidUtf8(bytes))
        return bytes;
    windows1252ToUtf8(bytes, scratch.utf8);
    return scratch.utf8;
}

void cutUtf8TextOfFile(QByteArrayView bytes, ExtractMode mode, const AbbreviationShield &shield,
                       const LineFilter &filter, Utf8RowSink &sink)
{
    thread_local Utf8Scratch scratch;
    cutUtf8(utf8TextOfFile(bytes, scratch), mode, shield, filter, sink);
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

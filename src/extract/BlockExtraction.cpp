#include "BlockExtraction.h"

#include "SmartSentences.h"
#include "StreamingCut.h"
#include "platform/FileReading.h"
#include "reading/BlockDecoding.h"
#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"
#include "reading/encodings/LegacyEncoding.h"
#include "reading/encodings/TextFileDecoding.h"

#include <algorithm>
#include <optional>

namespace Quillfen {

namespace {

// The decision a whole read would make, from the file's start and, without
// a mark or a forced encoding, whether all of it is valid UTF-8; the file
// is back at its start.
TextDecision decideInBlocks(FileBlocks &file, qsizetype blockBytes, const QByteArray &forced)
{
    QByteArray head;
    file.read(head, BinarySampleBytes);
    const auto mark = detectByteOrderMark(head);
    bool validUtf8 = false;
    if (!mark && forced.isEmpty()) {
        file.rewind();
        BlockUtf8Validator validator;
        QByteArray block;
        for (file.read(block, blockBytes); !block.isEmpty(); file.read(block, blockBytes))
            validator.feed(block);
        validUtf8 = validator.finish();
    }
    const bool wholeFile = head.size() < BinarySampleBytes;
    file.rewind();
    return decideTextDecoding(head, wholeFile, validUtf8, forced);
}

// One of our decoders or a named one, fed block by block.
class FileTextDecoder
{
public:
    explicit FileTextDecoder(const TextDecision &decision)
    {
        if (decision.kind == TextDecision::Kind::Named)
            m_named.emplace(decision.name);
        else
            m_ours.emplace(decision.encoding);
    }
    void feed(QByteArrayView bytes, QString &out)
    {
        m_ours ? m_ours->feed(bytes, out) : m_named->feed(bytes, out);
    }
    void finish(QString &out) { m_ours ? m_ours->finish(out) : m_named->finish(out); }

private:
    std::optional<BlockDecoder> m_ours;
    std::optional<NamedBlockDecoder> m_named;
};

// The smart cut's rows as text, through the filter.
class SmartRowsAsText final : public Utf8RowSink
{
public:
    SmartRowsAsText(const LineFilter &filter, RowSink &sink) : m_filter(filter), m_sink(sink) {}
    void appendUtf8Row(QByteArrayView row) override
    {
        m_row.resize(row.size());
        m_row.truncate(
            Detail::decodeKeepingSurrogates(row, reinterpret_cast<char16_t *>(m_row.data())));
        if (m_filter.accepts(m_row))
            m_sink.append(m_row);
    }

private:
    const LineFilter &m_filter;
    RowSink &m_sink;
    QString m_row;
};

} // namespace

void extractTextFileInBlocks(const QString &path, const RunChoices &choices, RowSink &sink,
                             qsizetype blockBytes)
{
    // A block holds at least a whole byte-order mark.
    blockBytes = std::max<qsizetype>(blockBytes, 4);
    FileBlocks file(path);
    const TextDecision decision = decideInBlocks(file, blockBytes, choices.reading.encoding);
    if (decision.kind == TextDecision::Kind::Binary)
        refuseBinaryFile(path);
    // The mark is skipped here; a named decoder skips its own.
    QByteArray block;
    file.read(block, blockBytes);
    const qsizetype markLength = decision.markLength;

    FileTextDecoder decoder(decision);
    std::optional<StreamingCut> streaming;
    std::optional<SmartRowsAsText> smartRows;
    std::optional<SmartSentenceStream> smart;
    const SmartSentences smartChoices(choices.shield.entries(), {LineFilterKind::All, {}});
    if (choices.mode == ExtractMode::SmartSentence) {
        smartRows.emplace(choices.filter, sink);
        smart.emplace(smartChoices, *smartRows);
    } else {
        streaming.emplace(choices.mode, choices.shield, choices.filter, sink);
    }
    // The smart cut reads UTF-8; a block's text is encoded keeping any
    // unpaired surrogate, so that its rows come back exactly.
    QByteArray utf8;
    auto feed = [&](const QString &text) {
        if (streaming)
            return streaming->feed(text);
        utf8.resize(Detail::lengthKeepingSurrogates(text) + 16);
        bool kept = false;
        utf8.truncate(Detail::encodeKeepingSurrogates(text, utf8.data(), kept) - utf8.constData());
        smart->feed(utf8);
    };
    QString text;
    decoder.feed(QByteArrayView(block).sliced(markLength), text);
    for (;;) {
        feed(text);
        text.resize(0);
        file.read(block, blockBytes);
        if (block.isEmpty())
            break;
        decoder.feed(block, text);
    }
    decoder.finish(text);
    feed(text);
    if (streaming)
        streaming->finish();
    else
        smart->finish();
}

} // namespace Quillfen

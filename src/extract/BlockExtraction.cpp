#include "BlockExtraction.h"

#include "SmartSentences.h"
#include "StreamingCut.h"
#include "platform/FileReading.h"
#include "reading/BlockDecoding.h"
#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"

#include <algorithm>
#include <optional>

namespace Quillfen {

namespace {

// Without a mark the whole file decides: UTF-8 when all of it is valid.
// block holds the first block.
TextEncoding unmarkedEncoding(FileBlocks &file, QByteArray &block, qsizetype blockBytes)
{
    BlockUtf8Validator validator;
    for (; !block.isEmpty(); file.read(block, blockBytes))
        validator.feed(block);
    const bool utf8 = validator.finish();
    file.rewind();
    return utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

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

void extractTextFileInBlocks(const QString &path, ExtractMode mode,
                             const AbbreviationShield &shield, const LineFilter &filter,
                             RowSink &sink, qsizetype blockBytes)
{
    // A block holds at least a whole byte-order mark.
    blockBytes = std::max<qsizetype>(blockBytes, 4);
    FileBlocks file(path);
    QByteArray block;
    file.read(block, blockBytes);
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype markLength = 0;
    if (const auto mark = detectByteOrderMark(block)) {
        encoding = mark->encoding;
        markLength = mark->length;
    } else {
        encoding = unmarkedEncoding(file, block, blockBytes);
        file.read(block, blockBytes);
    }

    BlockDecoder decoder(encoding);
    std::optional<StreamingCut> streaming;
    std::optional<SmartRowsAsText> smartRows;
    std::optional<SmartSentenceStream> smart;
    const SmartSentences smartChoices(shield.entries(), {LineFilterKind::All, {}});
    if (mode == ExtractMode::SmartSentence) {
        smartRows.emplace(filter, sink);
        smart.emplace(smartChoices, *smartRows);
    } else {
        streaming.emplace(mode, shield, filter, sink);
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

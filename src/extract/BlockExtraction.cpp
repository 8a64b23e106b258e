#include "BlockExtraction.h"

#include "StreamingCut.h"
#include "platform/FileReading.h"
#include "reading/BlockDecoding.h"

#include <algorithm>

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
    StreamingCut cut(mode, shield, filter, sink);
    QString text;
    decoder.feed(QByteArrayView(block).sliced(markLength), text);
    for (;;) {
        cut.feed(text);
        text.resize(0);
        file.read(block, blockBytes);
        if (block.isEmpty())
            break;
        decoder.feed(block, text);
    }
    decoder.finish(text);
    cut.feed(text);
    cut.finish();
}

} // namespace Quillfen

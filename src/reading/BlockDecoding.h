#pragma once

#include "TextDecoding.h"

#include <QByteArray>
#include <QString>

namespace Quillfen {

// Decodes a byte stream that arrives in blocks of any size to exactly the
// text decode() gives for all of it at once. A block is decoded up to the
// last point where no character can straddle it; the bytes after that
// wait for the next block.
class BlockDecoder
{
public:
    explicit BlockDecoder(TextEncoding encoding) : m_encoding(encoding) {}

    // Appends the text of every byte that can be decoded so far to out.
    void feed(QByteArrayView bytes, QString &out);
    // Appends the text of the bytes still waiting: the stream has ended.
    void finish(QString &out);

private:
    TextEncoding m_encoding;
    QByteArray m_waiting;
};

// Tells, block by block, whether a whole byte stream is valid UTF-8.
class BlockUtf8Validator
{
public:
    void feed(QByteArrayView bytes);
    bool finish();

private:
    QByteArray m_waiting;
    bool m_valid = true;
};

// How many bytes at the start of bytes, a stream so far in the encoding,
// decode to the same text whatever bytes follow.
qsizetype decodableLength(QByteArrayView bytes, TextEncoding encoding);

} // namespace Quillfen

// Hand-written: QStringDecoder's state between blocks would bring Qt's U+FFFD rules (bench/parts)
#include "BlockDecoding.h"

#include <QtEndian>

namespace Quillfen {

namespace {

// The bytes a UTF-8 sequence with this lead byte may take; 1 for bytes that
// cannot lead one.
qsizetype utf8SequenceLength(uchar lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

// Every decoding step starts at a byte outside 80..BF and takes at most the
// sequence length of that byte; bytes in 80..BF are only ever taken as
// continuations. So the stream can be cut at its end unless the last step
// start within reach still wants more bytes than there are.
qsizetype utf8DecodableLength(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 4 && back <= n; ++back) {
        const uchar b = p[n - back];
        if (b >= 0x80 && b <= 0xBF)
            continue;
        return utf8SequenceLength(b) > back ? n - back : n;
    }
    return n;
}

bool isHighSurrogateAt(const char *p, bool bigEndian)
{
    const auto *u = reinterpret_cast<const uchar *>(p);
    const quint16 unit = bigEndian ? qFromBigEndian<quint16>(u) : qFromLittleEndian<quint16>(u);
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// An odd byte waits for its partner, and a high surrogate for the unit
// that may complete it.
qsizetype utf16DecodableLength(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype even = bytes.size() & ~qsizetype(1);
    if (even >= 2 && isHighSurrogateAt(bytes.data() + even - 2, bigEndian))
        return even - 2;
    return even;
}

} // namespace

qsizetype decodableLength(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return utf8DecodableLength(bytes);
    case TextEncoding::Utf16LE:
        return utf16DecodableLength(bytes, false);
    case TextEncoding::Utf16BE:
        return utf16DecodableLength(bytes, true);
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return bytes.size() & ~qsizetype(3);
    case TextEncoding::Windows1252:
        return bytes.size();
    }
    Q_UNREACHABLE();
}

void BlockDecoder::feed(QByteArrayView bytes, QString &out)
{
    QByteArrayView all = bytes;
    if (!m_waiting.isEmpty()) {
        m_waiting.append(bytes);
        all = m_waiting;
    }
    const qsizetype ready = decodableLength(all, m_encoding);
    out.append(decode(all.first(ready), m_encoding));
    m_waiting = all.sliced(ready).toByteArray();
}

void BlockDecoder::finish(QString &out)
{
    out.append(decode(m_waiting, m_encoding));
    m_waiting.clear();
}

void BlockUtf8Validator::feed(QByteArrayView bytes)
{
    if (!m_valid)
        return;
    QByteArrayView all = bytes;
    if (!m_waiting.isEmpty()) {
        m_waiting.append(bytes);
        all = m_waiting;
    }
    const qsizetype ready = decodableLength(all, TextEncoding::Utf8);
    m_valid = isValidUtf8(all.first(ready));
    m_waiting = all.sliced(ready).toByteArray();
}

bool BlockUtf8Validator::finish()
{
    const bool valid = m_valid && isValidUtf8(m_waiting);
    m_waiting.clear();
    return valid;
}

} // namespace Quillfen

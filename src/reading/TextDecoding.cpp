#include "TextDecoding.h"

#include "Utf8Decoding.h"

#include <initializer_list>

namespace Quillfen {
namespace {

const uchar *bytesOf(QByteArrayView bytes)
{
    return reinterpret_cast<const uchar *>(bytes.data());
}

bool startsWith(QByteArrayView bytes, std::initializer_list<uchar> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    const uchar *p = bytesOf(bytes);
    for (const uchar b : mark) {
        if (*p++ != b)
            return false;
    }
    return true;
}

} // namespace

std::optional<ByteOrderMark> detectByteOrderMark(QByteArrayView bytes)
{
    if (startsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}))
        return ByteOrderMark{TextEncoding::Utf32LE, 4};
    if (startsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}))
        return ByteOrderMark{TextEncoding::Utf32BE, 4};
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return ByteOrderMark{TextEncoding::Utf8, 3};
    if (startsWith(bytes, {0xFF, 0xFE}))
        return ByteOrderMark{TextEncoding::Utf16LE, 2};
    if (startsWith(bytes, {0xFE, 0xFF}))
        return ByteOrderMark{TextEncoding::Utf16BE, 2};
    return std::nullopt;
}

QString decode(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return decodeUtf8(bytes);
    case TextEncoding::Utf16LE:
        return decodeUtf16(bytes, false);
    case TextEncoding::Utf16BE:
        return decodeUtf16(bytes, true);
    case TextEncoding::Utf32LE:
        return decodeUtf32(bytes, false);
    case TextEncoding::Utf32BE:
        return decodeUtf32(bytes, true);
    case TextEncoding::Windows1252:
        return decodeWindows1252(bytes);
    }
    Q_UNREACHABLE();
}

void decode(QByteArrayView bytes, TextEncoding encoding, QString &into)
{
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE)
        decodeUtf16(bytes, encoding == TextEncoding::Utf16BE, into);
    else
        into = decode(bytes, encoding);
}

QString decodeTextFile(QByteArrayView bytes)
{
    if (const auto mark = detectByteOrderMark(bytes))
        return decode(bytes.sliced(mark->length), mark->encoding);
    if (auto text = Detail::decodeUtf8Strictly(bytes))
        return *std::move(text);
    return decodeWindows1252(bytes);
}

} // namespace Quillfen

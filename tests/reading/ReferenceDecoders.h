#pragma once

// Deliberately slow decoders that follow the WHATWG Encoding Standard's
// byte-at-a-time state machines step for step, as an oracle for the fast
// ones. Each also counts the errors it met.

#include <QByteArrayView>
#include <QString>

namespace Quillfen::Testing::ReferenceDecoders {

struct Decoded
{
    QString text;
    int errors = 0;
};

// By hand: QString::fromUcs4 would drop a U+FEFF as a byte-order mark.
inline void appendCodePoint(QString &text, char32_t value)
{
    if (value < 0x10000) {
        text.append(QChar(char16_t(value)));
    } else {
        text.append(QChar(QChar::highSurrogate(value)));
        text.append(QChar(QChar::lowSurrogate(value)));
    }
}

inline Decoded utf8(QByteArrayView bytes)
{
    Decoded out;
    char32_t codePoint = 0;
    int bytesSeen = 0;
    int bytesNeeded = 0;
    uchar lowerBoundary = 0x80;
    uchar upperBoundary = 0xBF;
    const auto error = [&] {
        out.text.append(QChar(0xFFFD));
        ++out.errors;
    };
    qsizetype i = 0;
    for (;;) {
        if (i == bytes.size()) {
            if (bytesNeeded != 0)
                error();
            return out;
        }
        const uchar byte = uchar(bytes[i++]);
        if (bytesNeeded == 0) {
            if (byte <= 0x7F) {
                appendCodePoint(out.text, byte);
            } else if (byte >= 0xC2 && byte <= 0xDF) {
                bytesNeeded = 1;
                codePoint = byte & 0x1F;
            } else if (byte >= 0xE0 && byte <= 0xEF) {
                if (byte == 0xE0)
                    lowerBoundary = 0xA0;
                if (byte == 0xED)
                    upperBoundary = 0x9F;
                bytesNeeded = 2;
                codePoint = byte & 0xF;
            } else if (byte >= 0xF0 && byte <= 0xF4) {
                if (byte == 0xF0)
                    lowerBoundary = 0x90;
                if (byte == 0xF4)
                    upperBoundary = 0x8F;
                bytesNeeded = 3;
                codePoint = byte & 0x7;
            } else {
                error();
            }
            continue;
        }
        if (byte < lowerBoundary || byte > upperBoundary) {
            codePoint = 0;
            bytesNeeded = 0;
            bytesSeen = 0;
            lowerBoundary = 0x80;
            upperBoundary = 0xBF;
            --i; // restore the byte to the queue
            error();
            continue;
        }
        lowerBoundary = 0x80;
        upperBoundary = 0xBF;
        codePoint = (codePoint << 6) | (byte & 0x3F);
        ++bytesSeen;
        if (bytesSeen != bytesNeeded)
            continue;
        appendCodePoint(out.text, codePoint);
        codePoint = 0;
        bytesNeeded = 0;
        bytesSeen = 0;
    }
}

inline Decoded utf16(QByteArrayView bytes, bool bigEndian)
{
    Decoded out;
    int leadByte = -1;
    int leadSurrogate = -1;
    const auto error = [&] {
        out.text.append(QChar(0xFFFD));
        ++out.errors;
    };
    qsizetype i = 0;
    for (;;) {
        if (i == bytes.size()) {
            if (leadByte >= 0 || leadSurrogate >= 0)
                error();
            return out;
        }
        const uchar byte = uchar(bytes[i++]);
        if (leadByte < 0) {
            leadByte = byte;
            continue;
        }
        const int codeUnit = bigEndian ? (leadByte << 8) + byte : (byte << 8) + leadByte;
        leadByte = -1;
        if (leadSurrogate >= 0) {
            const int lead = leadSurrogate;
            leadSurrogate = -1;
            if (codeUnit >= 0xDC00 && codeUnit <= 0xDFFF) {
                appendCodePoint(out.text,
                                char32_t(0x10000 + ((lead - 0xD800) << 10) + (codeUnit - 0xDC00)));
                continue;
            }
            i -= 2; // restore both bytes of the code unit
            error();
            continue;
        }
        if (codeUnit >= 0xD800 && codeUnit <= 0xDBFF) {
            leadSurrogate = codeUnit;
            continue;
        }
        if (codeUnit >= 0xDC00 && codeUnit <= 0xDFFF) {
            error();
            continue;
        }
        appendCodePoint(out.text, char32_t(codeUnit));
    }
}

// No WHATWG decoder exists for UTF-32; this is the plain rule: each value
// outside the scalar values and any incomplete last value are one error.
inline Decoded utf32(QByteArrayView bytes, bool bigEndian)
{
    Decoded out;
    qsizetype i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        char32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const uchar byte = uchar(bytes[i + (bigEndian ? k : 3 - k)]);
            value = (value << 8) | byte;
        }
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            out.text.append(QChar(0xFFFD));
            ++out.errors;
        } else {
            appendCodePoint(out.text, value);
        }
    }
    if (i != bytes.size()) {
        out.text.append(QChar(0xFFFD));
        ++out.errors;
    }
    return out;
}

} // namespace Quillfen::Testing::ReferenceDecoders

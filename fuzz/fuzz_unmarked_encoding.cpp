// Telling unmarked UTF-16 and UTF-32 apart. Any bytes: the decision never
// fails. Text built of words of real languages (chosen by the input),
// encoded in UTF-16 or UTF-32 of either byte order without a mark: once it
// is long enough, the decision names that encoding and the text comes back,
// unless its bytes hold no NUL and are valid UTF-8 as well (CJK whose units
// all fall below 0x80 in both bytes): those are read as UTF-8.
#include "FuzzSupport.h"
#include "reading/TextDecoding.h"
#include "reading/encodings/TextFileDecoding.h"
#include "reading/encodings/UnmarkedWideText.h"

#include <QList>
#include <array>

using namespace Quillfen;
using QuillfenFuzz::require;

namespace {

// Words as text holds them, with their spaces and signs; East Asian ones
// without (such text has none), and some with no ASCII at all.
constexpr std::array<const char16_t *, 24> Words{
    u"the ",
    u"Reading ",
    u"Caf\u00e9 ",
    u"na\u00efve, ",
    u"\u0141\u00f3d\u017a ",
    u"\u041f\u0440\u0438\u0432\u0435\u0442 ",
    u"\u043c\u0438\u0440. ",
    u"\u03ba\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 ",
    u"\u05e9\u05dc\u05d5\u05dd ",
    u"\u0645\u0631\u062d\u0628\u0627 ",
    u"\u0928\u092e\u0938\u094d\u0924\u0947 ",
    u"\U0001F600 ",
    u"\n",
    u"\r\n",
    u"\t",
    u"1,234.5 ",
    u"\u65e5\u672c\u8a9e\u3002",
    u"\u6587\u7ae0\u3067\u3059\u3001",
    u"\u4e2d\u6587\u7684\uff0c",
    u"\u6c49\u5b57\u3002",
    u"\ud55c\uad6d\uc5b4\u3002",
    u"\u3072\u3089\u304c\u306a\u3001",
    u"\u30ab\u30bf\u30ab\u30ca\u3002",
    u"\U00020B9F\u3002",
};

QByteArray encoded(const QString &text, TextEncoding encoding)
{
    QByteArray bytes;
    auto put = [&](quint32 value, int size, bool bigEndian) {
        for (int i = 0; i < size; ++i) {
            const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
            bytes.append(char((value >> shift) & 0xFF));
        }
    };
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        for (const QChar c : text)
            put(c.unicode(), 2, encoding == TextEncoding::Utf16BE);
    } else {
        for (const char32_t c : text.toUcs4())
            put(c, 4, encoding == TextEncoding::Utf32BE);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView raw(reinterpret_cast<const char *>(data), qsizetype(size));
    // Any bytes, whole or cut short: a decision, never a failure.
    unmarkedWideEncoding(raw, true);
    unmarkedWideEncoding(raw, false);
    unmarkedEastAsianUtf16(raw, true);
    unmarkedEastAsianUtf16(raw, false);
    const TextDecision any = decideTextDecoding(raw);
    if (any.kind == TextDecision::Kind::Encoding && any.encoding != TextEncoding::Utf8 &&
        any.encoding != TextEncoding::Windows1252)
        require(!decode(raw.sliced(any.markLength), any.encoding).isNull(), "no text");

    QuillfenFuzz::Reader in(data, size);
    const std::uint8_t choice = in.byte();
    static constexpr std::array Encodings{TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                          TextEncoding::Utf32LE, TextEncoding::Utf32BE};
    const TextEncoding encoding = Encodings[choice % 4];
    QString text;
    for (const char c : in.rest())
        text += QString::fromUtf16(Words[std::uint8_t(c) % Words.size()]);
    // Long enough: 32 UTF-16 units, a line of text.
    if (text.size() < 32)
        return 0;
    const QByteArray bytes = encoded(text, encoding);
    if (!bytes.contains('\0') && isValidUtf8(bytes))
        return 0;
    const TextDecision decision = decideTextDecoding(bytes);
    require(decision.kind == TextDecision::Kind::Encoding, "wide text taken for another kind");
    require(decision.encoding == encoding, "wide text taken for another encoding");
    require(decode(bytes, decision.encoding) == text, "wide text does not come back");
    // The block path decides from the first block alone, alike.
    if (bytes.size() > BinarySampleBytes) {
        const TextDecision head = decideTextDecoding(bytes.first(BinarySampleBytes), false, false);
        require(head.kind == decision.kind && head.encoding == decision.encoding,
                "the first block decides otherwise");
    }
    return 0;
}

// A file's bytes as text: the byte-order mark, then the decoder it names.
#include "FuzzSupport.h"
#include "reading/TextDecoding.h"

using namespace Quillfen;
using QuillfenFuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeTextFile(bytes);
    const auto mark = detectByteOrderMark(bytes);

    // Each decoder gives at most one character per byte (UTF-8, Windows-1252)
    // or per code unit, so the text is never longer than the bytes.
    require(text.size() <= bytes.size(), "text longer than its bytes");
    if (!mark) {
        if (isValidUtf8(bytes))
            require(text == QString::fromUtf8(bytes), "valid UTF-8 decoded differently");
        else
            require(text.size() == bytes.size(), "Windows-1252 is one character per byte");
    } else {
        require(mark->length >= 2 && mark->length <= 4 && mark->length <= bytes.size(),
                "mark length");
        require(text == decode(bytes.sliced(mark->length), mark->encoding),
                "the mark is not part of the text");
    }
    // No decoder leaves a lone surrogate behind.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate()) {
            require(i + 1 < text.size() && text[i + 1].isLowSurrogate(), "lone high surrogate");
            ++i;
        } else {
            require(!text[i].isLowSurrogate(), "lone low surrogate");
        }
    }
    return 0;
}

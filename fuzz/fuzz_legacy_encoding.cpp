// Text without a mark that is not UTF-8: detection with uchardet, then the
// decoder it names, whole and in two blocks.
#include "FuzzSupport.h"
#include "reading/encodings/LegacyEncoding.h"

using namespace Quillfen;
using QuillfenFuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t cut = data[0] % size;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const auto name = legacyEncodingOf(bytes);
    if (!name)
        return 0;
    const QString text = decodeUnmarkedText(bytes);
    require(isKnownEncodingName(*name), "a detected encoding that no decoder knows");
    NamedBlockDecoder decoder(*name);
    QString blocks;
    decoder.feed(bytes.first(qsizetype(cut)), blocks);
    decoder.feed(bytes.sliced(qsizetype(cut)), blocks);
    decoder.finish(blocks);
    require(blocks == text, "two blocks decode differently from the whole");
    return 0;
}

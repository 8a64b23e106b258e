// Scrambling a text with a key and back.
#include "FuzzSupport.h"
#include "inputs/adding/Scramble.h"

using namespace Quillfen;
using QuillfenFuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QuillfenFuzz::Reader in(data, size);
    const QString key = in.string(32);
    // Well-formed text only: ill-formed UTF-16 has no UTF-8 bytes to keep.
    const QString text = QString::fromUtf8(in.rest());

    const QString scrambled = scrambleText(text, key);
    for (const QChar c : scrambled)
        require(c.unicode() <= 255, "a scrambled character above 255");
    require(scrambled.size() == text.toUtf8().size(), "one character per byte");
    require(unscrambleText(scrambled, key) == text, "unscramble(scramble(x)) != x");
    return 0;
}

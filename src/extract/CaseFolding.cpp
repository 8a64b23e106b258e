#include "CaseFolding.h"

#include <array>

namespace Quillfen {

const char16_t *bmpFolds()
{
    static const std::array<char16_t, 0x10000> folds = [] {
        std::array<char16_t, 0x10000> table{};
        for (char32_t unit = 0; unit < 0x10000; ++unit)
            table[unit] = QChar::isSurrogate(unit) ? char16_t(unit) : char16_t(foldCodePoint(unit));
        return table;
    }();
    return folds.data();
}

} // namespace Quillfen

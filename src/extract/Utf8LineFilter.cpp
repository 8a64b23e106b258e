#include "Utf8LineFilter.h"

namespace Quillfen {

bool holdsUnpairedSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

bool Utf8LineFilter::canFilter(const LineFilter &filter)
{
    return !holdsUnpairedSurrogate(filter.text);
}

} // namespace Quillfen

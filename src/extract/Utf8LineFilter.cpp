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
    if (filter.matching().regularExpression)
        return true; // patterns are matched on the decoded row
    for (const QStringList *terms : {&filter.terms(), &filter.excluded()}) {
        for (const QString &term : *terms) {
            if (holdsUnpairedSurrogate(term))
                return false;
        }
    }
    return true;
}

} // namespace Quillfen

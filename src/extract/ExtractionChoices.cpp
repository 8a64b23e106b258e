#include "ExtractionChoices.h"

namespace Quillfen {

bool LineFilter::accepts(QStringView item) const
{
    switch (kind) {
    case LineFilterKind::All:
        return true;
    case LineFilterKind::Containing:
        return !item.isEmpty() && item.contains(text, Qt::CaseSensitive);
    case LineFilterKind::NotContaining:
        return !(!item.isEmpty() && item.contains(text, Qt::CaseSensitive));
    case LineFilterKind::None:
        break;
    }
    return false;
}

} // namespace Quillfen

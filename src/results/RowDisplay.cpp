#include "RowDisplay.h"

namespace Quillfen {

namespace {
constexpr QChar Ellipsis = QChar(0x2026);
}

QString singleLineText(QStringView text, qsizetype limit)
{
    const bool cut = text.size() > limit;
    if (cut)
        text = text.left(limit);
    QString shown;
    shown.reserve(text.size() + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            shown += LineEndMark;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            shown += LineEndMark;
        } else {
            shown += c;
        }
    }
    if (cut)
        shown += Ellipsis;
    return shown;
}

QString tooltipText(QStringView text, qsizetype limit)
{
    if (text.size() <= limit)
        return text.toString();
    return text.left(limit).toString() + Ellipsis;
}

} // namespace Quillfen

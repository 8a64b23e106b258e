#include "VisibleTextDelegate.h"

namespace Quillfen {

QString VisibleTextDelegate::visibleStart(const QString &text, const QFontMetrics &metrics,
                                          int width)
{
    // A quarter more characters than fit at the average width, then twice
    // that while the start still fits (narrow or zero-width characters).
    const int average = std::max(1, metrics.averageCharWidth());
    qsizetype length = 5 * qsizetype(std::max(width, 0) / average) / 4 + 16;
    while (length < text.size()) {
        qsizetype cut = length;
        if (text.at(cut - 1).isHighSurrogate())
            --cut; // never half a pair
        const QString start = text.first(cut);
        if (metrics.horizontalAdvance(start) > width)
            return start;
        length *= 2;
    }
    return text;
}

void VisibleTextDelegate::initStyleOption(QStyleOptionViewItem *option,
                                          const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->textElideMode == Qt::ElideRight)
        option->text = visibleStart(option->text, option->fontMetrics, option->rect.width());
}

} // namespace Quillfen

#include "VisibleTextDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

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

void VisibleTextDelegate::setFindText(const QString &text)
{
    m_find = text.isEmpty() ? LineFilter()
                            : LineFilter::ofTerms({text}, {}, TermMatching{.matchCase = false});
}

bool VisibleTextDelegate::marksMatches() const
{
    return m_filter.kind() == LineFilterKind::Containing ||
           m_find.kind() == LineFilterKind::Containing;
}

std::vector<TextRange> VisibleTextDelegate::boldRanges(const QStyleOptionViewItem &option,
                                                       const QModelIndex &index) const
{
    if (index.column() != 0 || !marksMatches())
        return {};
    return rangesIn(regularStart(option, index));
}

std::vector<TextRange> VisibleTextDelegate::rangesIn(const QString &text) const
{
    std::vector<TextRange> ranges;
    for (const LineFilter *marks : {&m_filter, &m_find}) {
        if (marks->kind() != LineFilterKind::Containing)
            continue;
        const std::vector<TextRange> found = marks->matchesIn(text);
        ranges.insert(ranges.end(), found.begin(), found.end());
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const TextRange &a, const TextRange &b) { return a.start < b.start; });
    return ranges;
}

QString VisibleTextDelegate::regularStart(const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    QStyledItemDelegate::initStyleOption(&item, index);
    if (item.textElideMode != Qt::ElideRight)
        return item.text;
    QFont regular = item.font;
    regular.setBold(false);
    return visibleStart(item.text, QFontMetrics(regular), item.rect.width());
}

void VisibleTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    if (index.column() != 0 || !marksMatches()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The style draws the row without its text: background, selection,
    // check box and focus; the text follows in the regular weight, with
    // its matches in bold, so that a row whose matches lie past its end
    // does not look all matched.
    const QString text = regularStart(option, index);
    const std::vector<TextRange> bold = rangesIn(text);
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *widget = item.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect textRect =
        style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
            .adjusted(style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1, 0,
                      -(style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1), 0);
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    QFont regular = item.font;
    regular.setBold(false);
    QTextLayout layout(text, regular);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    textOption.setTextDirection(item.direction);
    layout.setTextOption(textOption);
    QList<QTextLayout::FormatRange> formats;
    for (const TextRange &range : bold) {
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        formats.append({int(range.start), int(range.length), format});
    }
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(std::numeric_limits<int>::max() / 1024);
    layout.endLayout();

    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    const QColor colour = item.palette.color(
        group, item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
    const QPointF origin(textRect.left(),
                         textRect.top() + (textRect.height() - line.height()) / 2.0);

    painter->save();
    painter->setPen(colour);
    QRectF shown = textRect;
    const QString ellipsis(QChar(0x2026));
    const qreal ellipsisWidth = QFontMetricsF(regular).horizontalAdvance(ellipsis);
    if (line.naturalTextWidth() > textRect.width()) {
        // Cut where the text and the "…" after it fit, between characters.
        const qreal room = textRect.width() - ellipsisWidth;
        int cut = line.xToCursor(room, QTextLine::CursorBetweenCharacters);
        while (cut > 0 && line.cursorToX(cut) > room)
            cut = layout.previousCursorPosition(cut);
        const qreal end = line.cursorToX(cut);
        shown.setWidth(end);
        painter->setFont(regular);
        painter->drawText(QPointF(textRect.left() + end, origin.y() + line.ascent()), ellipsis);
    }
    painter->setClipRect(shown, Qt::IntersectClip);
    layout.draw(painter, origin);
    painter->restore();
}

} // namespace Quillfen

#pragma once

#include "extract/ExtractionChoices.h"

#include <QStyledItemDelegate>

namespace Quillfen {

// Paints a row as the standard delegate does, but hands the style only the
// start of a long text: enough to run past the row's width, so the style
// cuts it with "..." at the same place, without laying out the thousands of
// characters that could never show.
//
// Given a filter that keeps rows containing its terms, the first column's
// rows are drawn in the regular weight of the list's font (a list in a bold
// font would show no difference) with the places its terms match in bold.
// Every row without such a filter looks as before.
class VisibleTextDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The start of text that fills more than width pixels in metrics, or
    // all of it when it does not.
    static QString visibleStart(const QString &text, const QFontMetrics &metrics, int width);

    // The filter whose matches are drawn in bold: the one the rows were
    // made with.
    void setMatchFilter(const LineFilter &filter) { m_filter = filter; }
    // The find box's text, whose places (in any case) are drawn in bold as
    // well; empty: none.
    void setFindText(const QString &text);
    // The places of a row's text as shown (its visible start) drawn in bold.
    std::vector<TextRange> boldRanges(const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    // The start of the row's text that fills the row in the regular weight.
    QString regularStart(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    // Whether rows are drawn with bold places at all.
    bool marksMatches() const;
    // The places of text the filter's and the find's terms match, in order.
    std::vector<TextRange> rangesIn(const QString &text) const;

    LineFilter m_filter;
    LineFilter m_find; // Containing the find text while the box holds one
};

} // namespace Quillfen

#pragma once

#include <QStyledItemDelegate>

namespace Quillfen {

// Paints a row as the standard delegate does, but hands the style only the
// start of a long text: enough to run past the row's width, so the style
// cuts it with "..." at the same place, without laying out the thousands of
// characters that could never show.
class VisibleTextDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The start of text that fills more than width pixels in metrics, or
    // all of it when it does not.
    static QString visibleStart(const QString &text, const QFontMetrics &metrics, int width);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace Quillfen

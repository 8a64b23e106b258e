#pragma once

#include <QAbstractItemView>
#include <QAccessible>

class QHeaderView;

namespace Quillfen {

class VisibleTextDelegate;

// A list in report style: the model's columns under a header whose dividers
// the user drags, rows of one height, selected whole. It keeps nothing per
// row, so appending to a list of millions of rows costs no more than
// appending to an empty one.
class ListViewControl final : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit ListViewControl(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    QHeaderView *header() const { return m_header; }
    // The delegate that draws the rows (and their matches, once given a
    // filter).
    VisibleTextDelegate *textDelegate() const { return m_textDelegate; }
    // The width of all columns together.
    int rowWidth() const;

    // The first column's width.
    int columnWidth() const { return columnWidth(0); }
    void setColumnWidth(int pixels) { setColumnWidth(0, pixels); }
    int columnWidth(int column) const;
    void setColumnWidth(int column, int pixels);
    int rowHeight() const { return m_rowHeight; }

    // Shown, greyed, in an empty list: what to do to fill it.
    void setPlaceholderText(const QString &text);
    const QString &placeholderText() const { return m_placeholder; }

    // True over the check box of a row that shows one.
    bool isOnCheckIndicator(const QPoint &point) const;

    // The first selected row, numbered from 0, or -1.
    int selectedRow() const;
    // Every selected row, in order.
    QList<int> selectedRowNumbers() const;
    void selectRow(int row);

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void reset() override;

Q_SIGNALS:
    // The context menu was asked for at point (viewport coordinates) by the
    // mouse or by the keyboard (then at the current row).
    void menuRequested(const QPoint &point);
    // Ctrl+C (the desktop's Copy key): the owner copies the selected rows.
    // Without a receiver the view copies its current row, as Qt's do.
    void copyRequested();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int rowCount() const;
    void paintPlaceholder();
    int rowTop(int row) const { return row * m_rowHeight - verticalOffset(); }
    void updateRowHeight();
    void rowsChanged();
    void announceRowLater();
    void tellAccessibility(QAccessible::Event event, int row = -1);

    QHeaderView *m_header;

    VisibleTextDelegate *m_textDelegate = nullptr;
    QList<QMetaObject::Connection> m_modelConnections;
    QString m_placeholder;
    int m_rowHeight = 20;
    bool m_announcePending = false;
};

} // namespace Quillfen

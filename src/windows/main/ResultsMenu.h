#pragma once

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;

namespace Quillfen {

class Desktop;
class ListViewControl;
class MessageBoxes;
class PointerControl;
class ResultsModel;

// The results list's context menu, opened by the right mouse button or the
// menu key: "Open File" and "Show in Folder" for the row's file, "Copy
// Row", "Remove Duplicate Rows", "Select All", "Check All" and "Uncheck
// All". Removing rows is refused while the window is busy.
class ResultsMenu final : public QObject
{
    Q_OBJECT

public:
    ResultsMenu(ListViewControl &view, ResultsModel &rows, PointerControl &pointer,
                MessageBoxes &boxes, Desktop &desktop);
    ~ResultsMenu() override;

    QMenu *menu() const { return m_menu; }
    // The menu's action of that caption.
    QAction *action(const QString &caption) const;

    // Shows the menu for the row at point (viewport coordinates): a row
    // that is not selected becomes the selection.
    void popUp(const QPoint &point);

    // The actions, on the row the menu was opened for (openFile,
    // showInFolder) or on the selected rows (copyRows).
    void openFile();
    void showInFolder();
    void copyRows();
    void removeDuplicateRows();
    void checkAll(bool checked);

    // What "Remove Duplicate Rows" says afterwards.
    static QString removedMessage(int rows);

private:
    QString menuRowFile() const;
    void tellUser(const QString &text);
    void enableActions();

    ListViewControl &m_view;
    ResultsModel &m_rows;
    PointerControl &m_pointer;
    MessageBoxes &m_boxes;
    Desktop &m_desktop;
    QMenu *m_menu;
    int m_row = -1; // the shown row the menu was opened for
};

} // namespace Quillfen

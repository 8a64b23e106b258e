#include "ResultsMenu.h"

#include "ListViewControl.h"
#include "PointerControl.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/ApplicationFolder.h"
#include "platform/Desktop.h"
#include "platform/EscapedText.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"
#include "results/ResultsModel.h"
#include "results/export/ClipboardExport.h"

#include <QAction>
#include <QLocale>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace Site = ReportSites::ResultsMenu;

ResultsMenu::ResultsMenu(ListViewControl &view, ResultsModel &rows, PointerControl &pointer,
                         MessageBoxes &boxes, Desktop &desktop)
    : QObject(&view), m_view(view), m_rows(rows), m_pointer(pointer), m_boxes(boxes),
      m_desktop(desktop), m_menu(new QMenu(&view))
{
    m_menu->setObjectName(u"ResultsMenu"_s);
    m_menu->addAction(u"Open File"_s, this, &ResultsMenu::openFile);
    m_menu->addAction(u"Show in Folder"_s, this, &ResultsMenu::showInFolder);
    m_menu->addSeparator();
    m_menu->addAction(u"Copy Row"_s, this, &ResultsMenu::copyRows);
    m_menu->addAction(u"Remove Duplicate Rows"_s, this, &ResultsMenu::removeDuplicateRows);
    m_menu->addSeparator();
    m_menu->addAction(u"Select All"_s, &view, &ListViewControl::selectAll);
    m_menu->addAction(u"Check All"_s, this, [this] { checkAll(true); });
    m_menu->addAction(u"Uncheck All"_s, this, [this] { checkAll(false); });
    connect(&view, &ListViewControl::menuRequested, this, &ResultsMenu::popUp);
    connect(&view, &ListViewControl::copyRequested, this, &ResultsMenu::copyRows);
}

ResultsMenu::~ResultsMenu() = default;

QAction *ResultsMenu::action(const QString &caption) const
{
    const QList<QAction *> actions = m_menu->actions();
    for (QAction *action : actions) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

void ResultsMenu::popUp(const QPoint &point)
{
    const QModelIndex index = m_view.indexAt(point);
    m_row = index.isValid() ? index.row() : -1;
    if (m_row >= 0 && !m_view.selectionModel()->isRowSelected(m_row, {}))
        m_view.selectRow(m_row);
    enableActions();
    m_menu->popup(m_view.viewport()->mapToGlobal(point));
}

void ResultsMenu::enableActions()
{
    const bool file = !menuRowFile().isEmpty();
    const bool rows = m_rows.rowCount() > 0;
    action(u"Open File"_s)->setEnabled(file);
    action(u"Show in Folder"_s)->setEnabled(file);
    action(u"Copy Row"_s)->setEnabled(m_view.selectedRow() >= 0);
    action(u"Remove Duplicate Rows"_s)
        ->setEnabled(m_rows.listRowCount() > 1 && !m_pointer.isBusy());
    for (const QString &caption : {u"Select All"_s, u"Check All"_s, u"Uncheck All"_s})
        action(caption)->setEnabled(rows);
}

QString ResultsMenu::menuRowFile() const
{
    return m_row >= 0 && m_row < m_rows.rowCount() ? m_rows.filePathOf(m_row) : QString();
}

void ResultsMenu::openFile()
{
    const QString path = menuRowFile();
    if (path.isEmpty())
        return;
    const QString cannot = u"Cannot open \"%1\": "_s.arg(escapedText(path));
    if (!pathExists(path))
        tellUser(cannot + u"the file is no longer there."_s);
    else if (!m_desktop.openFile(path))
        tellUser(cannot + u"no application is set to open it."_s);
}

void ResultsMenu::showInFolder()
{
    const QString path = menuRowFile();
    if (path.isEmpty())
        return;
    const QString cannot = u"Cannot show \"%1\" in its folder: "_s.arg(escapedText(path));
    if (!pathExists(path))
        tellUser(cannot + u"the file is no longer there."_s);
    else if (!m_desktop.showInFolder(path))
        tellUser(cannot + u"no file manager could be started."_s);
}

// A file that is gone or that nothing opens is no fault of the program:
// one plain box says so.
void ResultsMenu::tellUser(const QString &text)
{
    m_boxes.show({text, applicationTitle(), MessageButtons::Ok, MessageIcon::Warning});
}

// The selected rows' whole texts, in list order, one per line.
void ResultsMenu::copyRows()
{
    const QList<int> rows = m_view.selectedRowNumbers();
    if (rows.isEmpty())
        return;
    ReportingProcedure proc(m_boxes, Site::Identifier);
    proc.step(Site::CopyRow, [&] {
        QStringList texts;
        for (const int row : rows)
            texts << m_rows.rowText(row);
        if (!setClipboardTextRetrying(m_desktop, texts.join(u"\r\n"_s)))
            throw Failure(u"Another program kept the clipboard busy"_s);
    });
}

void ResultsMenu::removeDuplicateRows()
{
    if (m_pointer.isBusy())
        return;
    ReportingProcedure proc(m_boxes, Site::Identifier);
    int removed = 0;
    if (proc.step(Site::RemoveDuplicates, [&] { removed = m_rows.removeDuplicateRows(); }))
        proc.step(Site::RemovedMessage, [&] { showMessage(m_boxes, removedMessage(removed)); });
}

void ResultsMenu::checkAll(bool checked)
{
    m_rows.setAllChecked(checked);
}

QString ResultsMenu::removedMessage(int rows)
{
    if (rows == 0)
        return u"No duplicate rows were found."_s;
    if (rows == 1)
        return u"1 duplicate row was removed."_s;
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(rows) +
           u" duplicate rows were removed."_s;
}

} // namespace Quillfen

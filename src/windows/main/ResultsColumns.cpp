#include "ResultsColumns.h"

#include "ListViewControl.h"
#include "core/SettingsStore.h"

#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>

namespace Quillfen {

ResultsColumns::ResultsColumns(ListViewControl &view, SettingsStore &store, int defaultFileWidth)
    : QObject(&view), m_view(view), m_viewport(view.viewport()), m_store(store),
      m_defaultFile(defaultFileWidth), m_file(defaultFileWidth)
{
    connect(view.header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (!m_layingOut)
            resized(column, width);
    });
    m_viewport->installEventFilter(this);
    view.header()->viewport()->installEventFilter(this);
}

int ResultsColumns::storedWidth(const QString &key, int defaultWidth) const
{
    bool ok = false;
    const int width = m_store.get(key).toInt(&ok);
    return ok && width >= 0 && width <= 100000 ? width : defaultWidth;
}

void ResultsColumns::restore()
{
    m_file = std::max(MinimumWidth, storedWidth(FileKey, m_defaultFile));
    m_results = storedWidth(ResultsKey, 0);
    layOut();
}

void ResultsColumns::layOut()
{
    if (m_view.header()->count() < 2)
        return;
    const QScopedValueRollback guard(m_layingOut, true);
    const int room = m_view.viewport()->width();
    const int results = std::max({MinimumWidth, room - m_file, m_results});
    m_view.setColumnWidth(0, results);
    m_view.setColumnWidth(1, m_file);
}

void ResultsColumns::resized(int column, int width)
{
    const int room = m_view.viewport()->width();
    if (column == 0) {
        if (width + m_file >= room) {
            m_results = width;
        } else {
            m_results = 0;
            m_file = std::max(MinimumWidth, room - width);
        }
    } else {
        m_file = std::max(MinimumWidth, width);
    }
    m_changed = true;
    layOut();
}

void ResultsColumns::save()
{
    if (!m_changed)
        return;
    m_changed = false;
    // A save that fails in a drag is not reported: the drag has no handler.
    try {
        m_store.save(ResultsKey, QString::number(m_results));
        m_store.save(FileKey, QString::number(m_file));
    } catch (...) {
    }
}

bool ResultsColumns::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize)
        layOut();
    else if (event->type() == QEvent::MouseButtonRelease)
        save();
    return QObject::eventFilter(watched, event);
}

} // namespace Quillfen

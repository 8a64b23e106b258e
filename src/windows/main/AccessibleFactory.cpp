#include "AccessibleFactory.h"

#include "ListViewAccessible.h"
#include "ListViewControl.h"
#include "MainWindow.h"

#include <QAccessibleWidget>

namespace Quillfen {

namespace {

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1StringView(ListViewControl::staticMetaObject.className()))
        return new ListViewAccessible(static_cast<ListViewControl *>(widget));
    if (className == QLatin1StringView(MainWindow::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Quillfen

#include "PointerControl.h"

#include <QEvent>
#include <QWidget>

namespace Quillfen {

PointerControl::PointerControl(QWidget &window) : QObject(&window), m_window(window) {}

QCursor PointerControl::customPointer() const
{
    return m_custom.value_or(QCursor(Qt::PointingHandCursor));
}

void PointerControl::setPointerMode(PointerMode mode)
{
    m_mode = mode;
    switch (mode) {
    case PointerMode::Default:
        m_window.unsetCursor();
        break;
    case PointerMode::Busy:
        // A run asks for it at every file; each change would go to the
        // display server again.
        if (!m_window.testAttribute(Qt::WA_SetCursor) ||
            m_window.cursor().shape() != Qt::WaitCursor)
            m_window.setCursor(Qt::WaitCursor);
        break;
    case PointerMode::Custom:
        m_window.setCursor(customPointer());
        break;
    }
}

void PointerControl::hover(PointerMode mode)
{
    if (m_mode != PointerMode::Busy && m_mode != mode)
        setPointerMode(mode);
}

void PointerControl::watchButton(QWidget *button)
{
    button->setMouseTracking(true);
    // The window behind the button would otherwise take the same movement
    // and set the arrow again.
    button->setAttribute(Qt::WA_NoMousePropagation);
    button->installEventFilter(this);
    m_buttons << button;
}

void PointerControl::watchSurface(QWidget *surface)
{
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
}

bool PointerControl::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        if (m_buttons.contains(watched))
            hover(PointerMode::Custom);
        else if (type == QEvent::MouseMove)
            hover(PointerMode::Default);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace Quillfen

#include "InputBlock.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace Quillfen {

namespace {

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlock::InputBlock(QWidget &window) : m_window(window)
{
    qApp->installEventFilter(this);
}

InputBlock::~InputBlock()
{
    qApp->removeEventFilter(this);
}

bool InputBlock::eventFilter(QObject *watched, QEvent *event)
{
    if (!isInput(event->type()))
        return false;
    // Shortcuts are sent to QShortcut objects: their widget decides. A
    // window opened above this one (a child object, but a window of its
    // own) keeps its input.
    QObject *o = watched;
    while (o && !o->isWidgetType())
        o = o->parent();
    return o && static_cast<QWidget *>(o)->window() == &m_window;
}

} // namespace Quillfen

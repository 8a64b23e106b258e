#pragma once

#include "platform/WindowState.h"

#include <QCursor>
#include <QObject>
#include <optional>

class QWidget;

namespace Quillfen {

// The main window's pointer mode shown as the window's cursor, and the
// hover rule: the hand over push buttons, the arrow over the window
// surface, the frames and the lists, and the busy pointer never replaced
// by hovering.
class PointerControl final : public QObject, public WindowPointer
{
    Q_OBJECT

public:
    explicit PointerControl(QWidget &window);

    // The image of the custom (hand) pointer; without one it is the
    // system's pointing hand.
    void setCustomPointer(std::optional<QCursor> pointer) { m_custom = std::move(pointer); }
    QCursor customPointer() const;

    PointerMode pointerMode() const override { return m_mode; }
    void setPointerMode(PointerMode mode) override;
    bool isBusy() const { return m_mode == PointerMode::Busy; }

    // Hovering this widget sets the custom pointer.
    void watchButton(QWidget *button);
    // Moving over this widget sets the default arrow.
    void watchSurface(QWidget *surface);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void hover(PointerMode mode);

    QWidget &m_window;
    PointerMode m_mode = PointerMode::Default;
    std::optional<QCursor> m_custom;
    QList<QObject *> m_buttons;
};

} // namespace Quillfen

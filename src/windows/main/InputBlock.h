#pragma once

#include <QObject>

class QWidget;

namespace Quillfen {

// While it lives, the window takes no input: mouse, keys, shortcuts, wheel,
// drops and context menus aimed at it or its children are dropped. Unlike
// Qt's modality it lets the window's own close request through, so that
// closing the main window still ends the program while the abbreviation
// editor is open above it.
class InputBlock final : public QObject
{
public:
    explicit InputBlock(QWidget &window);
    ~InputBlock() override;
    Q_DISABLE_COPY_MOVE(InputBlock)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
};

} // namespace Quillfen

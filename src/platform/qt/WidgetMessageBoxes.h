#pragma once

#include "platform/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace Quillfen {

// Message boxes as QMessageBox, modal to the given window (or to the whole
// application before a window exists).
class WidgetMessageBoxes final : public MessageBoxes
{
public:
    void setParentWindow(QWidget *window) { m_parent = window; }
    MessageAnswer show(const MessageRequest &request) override;

    // The text as the box shows it: Qt labels break lines at line feeds, so
    // every CR LF and lone CR becomes one line feed.
    static QString displayText(const QString &text);

private:
    QPointer<QWidget> m_parent;
};

} // namespace Quillfen

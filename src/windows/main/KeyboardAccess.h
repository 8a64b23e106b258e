#pragma once

#include <QKeySequence>
#include <QList>

class QAbstractButton;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace Quillfen {

// Enter and Return press the button while it has the focus, as Space does.
// Qt keeps them for a dialog's default button, which a window has none of.
void pressOnEnter(QAbstractButton *button);

// A shortcut that presses the button from anywhere in its window, named in
// the button's tooltip after its caption.
void giveShortcut(QAbstractButton *button, const QKeySequence &keys);

// Tab visits the widgets in this order, Shift+Tab the other way round.
void chainTabOrder(const QList<QWidget *> &widgets);

// Esc empties box while it holds text.
void clearOnEscape(QLineEdit *box);

// Tab and Shift+Tab into a group of options land on its selected one. Qt
// stops once in a group, at whichever button it reaches first; the arrow
// keys then move within the group.
void tabToSelectedOption(const QList<QRadioButton *> &group);

} // namespace Quillfen

#include "KeyboardAccess.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

class EnterPresses final : public QObject
{
public:
    explicit EnterPresses(QAbstractButton *button) : QObject(button), m_button(button) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (!key->isAutoRepeat() && m_button->isEnabled())
            m_button->click();
        return true;
    }

private:
    QAbstractButton *m_button;
};

// Esc in a box with text empties it. The box claims Esc before the window's
// shortcuts see it (Stop, during a run) only while it has text to clear.
class EscapeClears final : public QObject
{
public:
    explicit EscapeClears(QLineEdit *box) : QObject(box), m_box(box) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const bool key =
            event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
        if (!key || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape ||
            static_cast<QKeyEvent *>(event)->modifiers() != Qt::NoModifier ||
            m_box->text().isEmpty())
            return false;
        event->accept();
        if (event->type() == QEvent::KeyPress)
            m_box->clear();
        return event->type() == QEvent::KeyPress;
    }

private:
    QLineEdit *m_box;
};

class SelectedOptionFocus final : public QObject
{
public:
    SelectedOptionFocus(const QList<QRadioButton *> &group, QObject *parent)
        : QObject(parent), m_group(group)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
            return false;
        auto *reached = static_cast<QRadioButton *>(watched);
        if (reached->isChecked())
            return false;
        for (QRadioButton *option : m_group) {
            if (option->isChecked() && option->isEnabled() && option->isVisible()) {
                option->setFocus(reason);
                break;
            }
        }
        return false;
    }

private:
    QList<QRadioButton *> m_group;
};

} // namespace

void pressOnEnter(QAbstractButton *button)
{
    button->installEventFilter(new EnterPresses(button));
}

void giveShortcut(QAbstractButton *button, const QKeySequence &keys)
{
    // A shortcut of its own: QAbstractButton::setText() replaces the
    // button's shortcut with its caption's mnemonic, so a button whose
    // caption changes (Start / Stop Extracting) would lose it.
    auto *shortcut = new QShortcut(keys, button);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled() && button->isVisible())
            button->animateClick();
    });
    button->setToolTip(button->text() + u" ("_s + keys.toString(QKeySequence::NativeText) + u')');
}

void clearOnEscape(QLineEdit *box)
{
    box->installEventFilter(new EscapeClears(box));
}

void chainTabOrder(const QList<QWidget *> &widgets)
{
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets.at(i - 1), widgets.at(i));
}

void tabToSelectedOption(const QList<QRadioButton *> &group)
{
    if (group.isEmpty())
        return;
    auto *filter = new SelectedOptionFocus(group, group.first());
    for (QRadioButton *option : group)
        option->installEventFilter(filter);
}

} // namespace Quillfen

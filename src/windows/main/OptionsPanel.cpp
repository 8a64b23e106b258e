#include "OptionsPanel.h"

#include "core/SettingsStore.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QString optionKey(int number)
{
    return u"Option"_s + QString::number(number);
}

// A save that fails in a click is not reported: the click has no handler.
template <typename Save> void saveQuietly(Save &&save)
{
    try {
        save();
    } catch (...) {
    }
}

} // namespace

OptionsPanel::OptionsPanel(SettingsStore &store, QWidget *parent) : QObject(parent), m_store(store)
{
    buildFrame1(parent);
    buildFrame2(parent);
}

QRadioButton *OptionsPanel::makeOption(int number, const QString &caption, QWidget *frame)
{
    auto *button = new QRadioButton(caption, frame);
    button->setObjectName(optionKey(number));
    m_options.at(std::size_t(number - 1)) = button;
    return button;
}

void OptionsPanel::buildFrame1(QWidget *parent)
{
    m_frame1 = new QGroupBox(u"Extract Option"_s, parent);
    m_frame1->setObjectName(u"Frame1"_s);
    auto *layout = new QVBoxLayout(m_frame1);
    for (QRadioButton *button :
         {makeOption(1, u"Paragraph (Look for blank lines which usually ends paragraphs)"_s,
                     m_frame1),
          makeOption(2, u"Sentence (Look for . ? ! which usually ends sentences)"_s, m_frame1)}) {
        layout->addWidget(button);
        connect(button, &QRadioButton::clicked, this, &OptionsPanel::saveModeChoice);
    }
    // The design-time choice, kept when a stored value cannot be read.
    option(1)->setChecked(true);
}

void OptionsPanel::buildFrame2(QWidget *parent)
{
    m_frame2 = new QGroupBox(u"Options"_s, parent);
    m_frame2->setObjectName(u"Frame2"_s);
    auto *layout = new QGridLayout(m_frame2);
    QRadioButton *containing =
        makeOption(4, u"Filter - Only extract lines containing this.."_s, m_frame2);
    QRadioButton *notContaining =
        makeOption(5, u"Filter - Only extract lines not containing this.."_s, m_frame2);
    QRadioButton *all = makeOption(3, u"Do not filter"_s, m_frame2);
    m_text1 = new QLineEdit(m_frame2);
    m_text1->setObjectName(u"Text1"_s);
    m_text2 = new QLineEdit(m_frame2);
    m_text2->setObjectName(u"Text2"_s);
    // A text box has no caption: screen readers name it after its option.
    m_text1->setAccessibleName(containing->text());
    m_text2->setAccessibleName(notContaining->text());
    layout->addWidget(containing, 0, 0);
    layout->addWidget(m_text1, 0, 1);
    layout->addWidget(notContaining, 1, 0);
    layout->addWidget(m_text2, 1, 1);
    layout->addWidget(all, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    for (QRadioButton *button : {all, containing, notContaining})
        connect(button, &QRadioButton::clicked, this, &OptionsPanel::saveFilterChoice);
    m_text1->installEventFilter(this);
    m_text2->installEventFilter(this);
    all->setChecked(true);
}

void OptionsPanel::restoreOption(int number, bool selected)
{
    QRadioButton *button = option(number);
    if (selected) {
        button->setChecked(true);
        return;
    }
    // A group may end with no button selected, which Qt's exclusive
    // buttons refuse unless they are briefly let go.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void OptionsPanel::saveModeChoice()
{
    saveQuietly([&] {
        m_store.saveBoolean(optionKey(1), option(1)->isChecked());
        m_store.saveBoolean(optionKey(2), option(2)->isChecked());
    });
}

void OptionsPanel::saveFilterChoice()
{
    saveQuietly([&] {
        for (int number : {3, 4, 5})
            m_store.saveBoolean(optionKey(number), option(number)->isChecked());
    });
}

void OptionsPanel::selectFromTextBox(QRadioButton *button)
{
    button->setChecked(true);
    saveFilterChoice();
}

bool OptionsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        auto *box = static_cast<QWidget *>(watched);
        if (box->rect().contains(mouse->position().toPoint())) {
            if (watched == m_text1)
                selectFromTextBox(option(4));
            else if (watched == m_text2)
                selectFromTextBox(option(5));
        }
    }
    return QObject::eventFilter(watched, event);
}

ExtractMode OptionsPanel::mode() const
{
    if (option(1)->isChecked())
        return ExtractMode::Paragraph;
    if (option(2)->isChecked())
        return ExtractMode::Sentence;
    return ExtractMode::None;
}

LineFilter OptionsPanel::filter() const
{
    if (option(4)->isChecked())
        return {LineFilterKind::Containing, m_text1->text()};
    if (option(5)->isChecked())
        return {LineFilterKind::NotContaining, m_text2->text()};
    if (option(3)->isChecked())
        return {LineFilterKind::All, {}};
    return {LineFilterKind::None, {}};
}

} // namespace Quillfen

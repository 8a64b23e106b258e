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

QString optionKey(OptionButton which)
{
    return u"Option"_s + QString::number(int(which));
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
    buildExtractOptionFrame(parent);
    buildFilterFrame(parent);
}

QRadioButton *OptionsPanel::makeOption(OptionButton which, const QString &caption, QWidget *frame)
{
    auto *button = new QRadioButton(caption, frame);
    button->setObjectName(optionKey(which));
    m_options.at(std::size_t(which) - 1) = button;
    return button;
}

void OptionsPanel::buildExtractOptionFrame(QWidget *parent)
{
    m_extractOptionFrame = new QGroupBox(u"Extract Option"_s, parent);
    m_extractOptionFrame->setObjectName(u"Frame1"_s);
    auto *layout = new QVBoxLayout(m_extractOptionFrame);
    for (QRadioButton *button :
         {makeOption(OptionButton::Paragraph,
                     u"Paragraph (Look for blank lines which usually ends paragraphs)"_s,
                     m_extractOptionFrame),
          makeOption(OptionButton::Sentence,
                     u"Sentence (Look for . ? ! which usually ends sentences)"_s,
                     m_extractOptionFrame),
          makeOption(
              OptionButton::SmartSentence,
              u"Sentence - smart (knows . ? ! \u2026 quotes, numbers, initials, web addresses)"_s,
              m_extractOptionFrame)}) {
        layout->addWidget(button);
        connect(button, &QRadioButton::clicked, this, &OptionsPanel::saveModeChoice);
    }
    // The design-time choice, kept when a stored value cannot be read.
    option(OptionButton::Paragraph)->setChecked(true);
}

void OptionsPanel::buildFilterFrame(QWidget *parent)
{
    m_filterFrame = new QGroupBox(u"Options"_s, parent);
    m_filterFrame->setObjectName(u"Frame2"_s);
    auto *layout = new QGridLayout(m_filterFrame);
    QRadioButton *containing =
        makeOption(OptionButton::Containing, u"Filter - Only extract lines containing this.."_s,
                   m_filterFrame);
    QRadioButton *notContaining =
        makeOption(OptionButton::NotContaining,
                   u"Filter - Only extract lines not containing this.."_s, m_filterFrame);
    QRadioButton *all = makeOption(OptionButton::NoFilter, u"Do not filter"_s, m_filterFrame);
    m_containingText = new QLineEdit(m_filterFrame);
    m_containingText->setObjectName(u"Text1"_s);
    m_notContainingText = new QLineEdit(m_filterFrame);
    m_notContainingText->setObjectName(u"Text2"_s);
    // A text box has no caption: screen readers name it after its option.
    m_containingText->setAccessibleName(containing->text());
    m_notContainingText->setAccessibleName(notContaining->text());
    layout->addWidget(containing, 0, 0);
    layout->addWidget(m_containingText, 0, 1);
    layout->addWidget(notContaining, 1, 0);
    layout->addWidget(m_notContainingText, 1, 1);
    layout->addWidget(all, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    for (QRadioButton *button : {all, containing, notContaining})
        connect(button, &QRadioButton::clicked, this, &OptionsPanel::saveFilterChoice);
    m_containingText->installEventFilter(this);
    m_notContainingText->installEventFilter(this);
    all->setChecked(true);
}

void OptionsPanel::restoreOption(OptionButton which, bool selected)
{
    QRadioButton *button = option(which);
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
        for (OptionButton which :
             {OptionButton::Paragraph, OptionButton::Sentence, OptionButton::SmartSentence})
            m_store.saveBoolean(optionKey(which), option(which)->isChecked());
    });
}

void OptionsPanel::saveFilterChoice()
{
    saveQuietly([&] {
        for (OptionButton which :
             {OptionButton::NoFilter, OptionButton::Containing, OptionButton::NotContaining})
            m_store.saveBoolean(optionKey(which), option(which)->isChecked());
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
            if (watched == m_containingText)
                selectFromTextBox(option(OptionButton::Containing));
            else if (watched == m_notContainingText)
                selectFromTextBox(option(OptionButton::NotContaining));
        }
    }
    return QObject::eventFilter(watched, event);
}

ExtractMode OptionsPanel::mode() const
{
    if (option(OptionButton::Paragraph)->isChecked())
        return ExtractMode::Paragraph;
    if (option(OptionButton::Sentence)->isChecked())
        return ExtractMode::Sentence;
    if (option(OptionButton::SmartSentence)->isChecked())
        return ExtractMode::SmartSentence;
    return ExtractMode::None;
}

LineFilter OptionsPanel::filter() const
{
    if (option(OptionButton::Containing)->isChecked())
        return {LineFilterKind::Containing, m_containingText->text()};
    if (option(OptionButton::NotContaining)->isChecked())
        return {LineFilterKind::NotContaining, m_notContainingText->text()};
    if (option(OptionButton::NoFilter)->isChecked())
        return {LineFilterKind::All, {}};
    return {LineFilterKind::None, {}};
}

} // namespace Quillfen

#include "OptionsPanel.h"

#include "abbrev/AbbreviationStore.h"
#include "core/SettingsStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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

struct MatchingBoxInfo
{
    QString caption;
    QString key;
    bool byDefault;
    QString tip;
};

const std::array<MatchingBoxInfo, 3> &matchingBoxes()
{
    static const std::array<MatchingBoxInfo, 3> boxes = {{
        {u"Match case"_s, u"MatchCase"_s, true,
         u"Letters must match in case: \"Error\" does not match \"error\""_s},
        {u"Whole words"_s, u"WholeWords"_s, false,
         u"Match only where no letter, digit or \"_\" touches the text"_s},
        {u"Regular expression"_s, u"RegularExpression"_s, false,
         u"The text is a Perl-compatible regular expression"_s},
    }};
    return boxes;
}

const QString OcrKey = u"ReadScannedPages"_s;
const QString DocumentTimeoutKey = u"DocumentTimeout"_s;

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
    m_ocr = new QCheckBox(u"Read scanned pages (OCR)"_s, m_extractOptionFrame);
    m_ocr->setObjectName(u"Check4"_s);
    m_ocr->setToolTip(u"Read the text of PDF pages that are only pictures with optical "
                      "character recognition (slower)"_s);
    connect(m_ocr, &QCheckBox::clicked, this,
            [this] { saveQuietly([&] { m_store.saveBoolean(OcrKey, m_ocr->isChecked()); }); });
    layout->addWidget(m_ocr);
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
    containing->setToolTip(u"Keep only the rows that contain the text on the right"_s);
    notContaining->setToolTip(u"Leave out the rows that contain the text on the right"_s);
    all->setToolTip(u"Keep every row"_s);
    auto *matching = new QHBoxLayout;
    for (std::size_t i = 0; i < m_matching.size(); ++i) {
        const MatchingBoxInfo &info = matchingBoxes().at(i);
        auto *box = new QCheckBox(info.caption, m_filterFrame);
        box->setObjectName(u"Check"_s + QString::number(i + 1));
        box->setChecked(info.byDefault);
        box->setToolTip(info.tip);
        connect(box, &QCheckBox::clicked, this, [this, box, key = info.key] {
            saveQuietly([&] { m_store.saveBoolean(key, box->isChecked()); });
        });
        matching->addWidget(box);
        m_matching.at(i) = box;
    }
    matching->addStretch(1);
    layout->addLayout(matching, 3, 0, 1, 2);
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

void OptionsPanel::restoreMatching()
{
    try {
        m_ocr->setChecked(m_store.getBoolean(OcrKey, false));
    } catch (...) {
        m_ocr->setChecked(false);
    }
    for (std::size_t i = 0; i < m_matching.size(); ++i) {
        const MatchingBoxInfo &info = matchingBoxes().at(i);
        try {
            m_matching.at(i)->setChecked(m_store.getBoolean(info.key, info.byDefault));
        } catch (...) {
            m_matching.at(i)->setChecked(info.byDefault);
        }
    }
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
    LineFilterKind kind = LineFilterKind::None;
    QString text;
    if (option(OptionButton::Containing)->isChecked()) {
        kind = LineFilterKind::Containing;
        text = m_containingText->text();
    } else if (option(OptionButton::NotContaining)->isChecked()) {
        kind = LineFilterKind::NotContaining;
        text = m_notContainingText->text();
    } else if (option(OptionButton::NoFilter)->isChecked()) {
        kind = LineFilterKind::All;
    }
    const TermMatching matching{.matchCase = matchingBox(MatchingBox::MatchCase)->isChecked(),
                                .wholeWords = matchingBox(MatchingBox::WholeWords)->isChecked(),
                                .regularExpression =
                                    matchingBox(MatchingBox::RegularExpression)->isChecked()};
    return LineFilter(kind, text, matching);
}

ReadingChoices OptionsPanel::readingChoices() const
{
    ReadingChoices choices;
    choices.ocr = m_ocr->isChecked();
    try {
        bool ok = false;
        const double seconds = m_store.get(DocumentTimeoutKey).toDouble(&ok);
        if (ok && seconds >= 0 && seconds <= 1e9)
            choices.documentTimeout = std::chrono::milliseconds(qint64(seconds * 1000.0 + 0.5));
    } catch (...) {
    }
    return choices;
}

RunChoices OptionsPanel::choices() const
{
    RunChoices choices;
    choices.mode = mode();
    // Making the shield folds every entry: only for the modes that use it.
    if (choices.mode == ExtractMode::Sentence || choices.mode == ExtractMode::SmartSentence)
        choices.shield = AbbreviationShield(extractionAbbreviations(storedAbbreviations(m_store)));
    choices.filter = filter();
    choices.reading = readingChoices();
    return choices;
}

} // namespace Quillfen

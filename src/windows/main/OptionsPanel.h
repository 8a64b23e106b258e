#pragma once

#include "run/RunInterfaces.h"

#include <QObject>
#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace Quillfen {

class SettingsStore;

// The option buttons; each number is the one its settings key and object
// name carry ("Option1" ... "Option6").
enum class OptionButton {
    Paragraph = 1,
    Sentence,
    NoFilter,
    Containing,
    NotContaining,
    SmartSentence,
};

// How the filter's terms match: check boxes under the filter buttons, each
// stored under its own key ("MatchCase", "WholeWords", "RegularExpression")
// and object name ("Check1" ...).
enum class MatchingBox { MatchCase, WholeWords, RegularExpression };

// The two option groups: the extraction mode ("Extract Option") and the
// line filter ("Options", with the two filter texts and the check boxes of
// how they match). Every click saves the state of its whole group, a check
// box its own; the filter texts are never stored. A run takes choices()
// when it starts, and the window disables both groups while it goes.
class OptionsPanel final : public QObject, public ExtractionOptions
{
    Q_OBJECT

public:
    OptionsPanel(SettingsStore &store, QWidget *parent);

    QGroupBox *extractOptionFrame() const { return m_extractOptionFrame; }
    QGroupBox *filterFrame() const { return m_filterFrame; }
    QRadioButton *option(OptionButton which) const { return m_options.at(std::size_t(which) - 1); }
    QLineEdit *containingText() const { return m_containingText; }
    QLineEdit *notContainingText() const { return m_notContainingText; }
    QCheckBox *matchingBox(MatchingBox which) const { return m_matching.at(std::size_t(which)); }
    // "Read scanned pages (OCR)", under the modes, stored under
    // "ReadScannedPages" (off by default), object name "Check4".
    QCheckBox *ocrBox() const { return m_ocr; }

    // The start-up restore of one button: true selects it and clears the
    // others of its group; false clears only this one. Saves nothing.
    void restoreOption(OptionButton which, bool selected);
    // The start-up restore of the check boxes: a value that cannot be read
    // gives its box the default, unreported.
    void restoreMatching();

    // What the click handlers save.
    void saveModeChoice();
    void saveFilterChoice();

    ExtractMode mode() const;
    LineFilter filter() const;
    // The OCR box, and the time a document may take: the stored
    // "DocumentTimeout" in seconds (60 when absent or unreadable, 0 none).
    ReadingChoices readingChoices() const;
    // All of the above, with the stored abbreviation list for the modes
    // that use it.
    RunChoices choices() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildExtractOptionFrame(QWidget *parent);
    void buildFilterFrame(QWidget *parent);
    QRadioButton *makeOption(OptionButton which, const QString &caption, QWidget *frame);
    // A click in a filter text box selects its option as a click on it would.
    void selectFromTextBox(QRadioButton *option);

    SettingsStore &m_store;
    QGroupBox *m_extractOptionFrame = nullptr;
    QGroupBox *m_filterFrame = nullptr;
    std::array<QRadioButton *, 6> m_options{};
    QLineEdit *m_containingText = nullptr;
    QLineEdit *m_notContainingText = nullptr;
    std::array<QCheckBox *, 3> m_matching{};
    QCheckBox *m_ocr = nullptr;
};

} // namespace Quillfen

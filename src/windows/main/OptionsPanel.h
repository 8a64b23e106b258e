#pragma once

#include "extract/RunInterfaces.h"

#include <QObject>
#include <array>

class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace Quillfen {

class SettingsStore;

// The two option groups: the extraction mode (Option1, Option2 in Frame1)
// and the line filter (Option3, Option4, Option5 with Text1, Text2 in
// Frame2). Every click saves the state of its whole group; the filter
// texts are never stored. The run reads the controls themselves.
class OptionsPanel final : public QObject, public ExtractionOptions
{
    Q_OBJECT

public:
    OptionsPanel(SettingsStore &store, QWidget *parent);

    QGroupBox *frame1() const { return m_frame1; }
    QGroupBox *frame2() const { return m_frame2; }
    // Option1 ... Option5.
    QRadioButton *option(int number) const { return m_options.at(std::size_t(number - 1)); }
    QLineEdit *text1() const { return m_text1; }
    QLineEdit *text2() const { return m_text2; }

    // The start-up restore of one button: true selects it and clears the
    // others of its group; false clears only this one. Saves nothing.
    void restoreOption(int number, bool selected);

    // What the click handlers save.
    void saveModeChoice();
    void saveFilterChoice();

    ExtractMode mode() const override;
    LineFilter filter() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFrame1(QWidget *parent);
    void buildFrame2(QWidget *parent);
    QRadioButton *makeOption(int number, const QString &caption, QWidget *frame);
    // A click in a filter text box selects its option as a click on it would.
    void selectFromTextBox(QRadioButton *option);

    SettingsStore &m_store;
    QGroupBox *m_frame1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    std::array<QRadioButton *, 5> m_options{};
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
};

} // namespace Quillfen

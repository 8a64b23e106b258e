#pragma once

#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsArea.h"
#include "platform/WindowState.h"

#include <QCursor>
#include <QDialog>
#include <QStringList>
#include <functional>
#include <optional>

class QPushButton;
class QTreeWidget;

namespace Quillfen {

// What the abbreviation editor reaches outside itself.
struct EditorServices
{
    MessageBoxes &boxes;
    Dialogs &dialogs;
    SettingsArea &settings;
    // Gives the window the system colours; nothing is done when empty.
    std::function<void(QWidget &)> applySystemColours = {};
    // The custom pointer image from the data folder, or nothing when there
    // is none (the hand pointer then stands in).
    std::function<std::optional<QCursor>()> customPointer = {};
};

// "Ignore These Abbreviations": edits the stored abbreviation list. It
// loads the list (or the ten defaults) when it is made and writes it back
// every time it closes, by the Close button, the title bar or Escape.
class AbbreviationEditor final : public QDialog, public WindowPointer
{
    Q_OBJECT

public:
    explicit AbbreviationEditor(EditorServices services, QWidget *parent = nullptr);

    // The entries in display order, which is the stored order.
    QStringList entries() const;

    PointerMode pointerMode() const override { return m_pointerMode; }
    void setPointerMode(PointerMode mode) override;

    // Every way of closing ends here: the list is saved, then the window
    // closes; a failed save is reported and the window closes all the same.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupWindow();
    void setupList();
    void setupButtons();
    QPushButton *addButton(const QString &name, const QString &text, int left, int top);
    int pixels(int twips) const;

    void load();
    void add();
    void deleteSelected();
    void clearList();
    void closeWindow();
    void saveOnClose();

    void appendEntry(const QString &text);
    bool containsEntry(const QString &text) const;

    EditorServices m_services;
    QTreeWidget *m_list = nullptr;
    QList<QPushButton *> m_buttons;
    QCursor m_customPointer{Qt::PointingHandCursor};
    PointerMode m_pointerMode = PointerMode::Default;
};

} // namespace Quillfen

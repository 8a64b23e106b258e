#pragma once

#include <QObject>

namespace Quillfen {

class ListViewControl;
class SettingsStore;

// The widths of the results list's two columns. "Results" takes the room
// that "File" leaves, as the window resizes. Dragging the divider between
// them to the left widens "File" with it; dragging it past the list's right
// edge makes "Results" that wide, "File" beyond it (the list scrolls
// sideways), until it is dragged back. The user's widths are saved when
// the drag ends, under ResultsColumnWidth (0 while "Results" fills the
// room) and FileColumnWidth, in pixels, and restored at start-up; a value
// that is not a width is taken as the default.
class ResultsColumns final : public QObject
{
    Q_OBJECT

public:
    static inline const QString ResultsKey = QStringLiteral("ResultsColumnWidth");
    static inline const QString FileKey = QStringLiteral("FileColumnWidth");
    static constexpr int MinimumWidth = 40;

    ResultsColumns(ListViewControl &view, SettingsStore &store, int defaultFileWidth);

    // Reads the stored widths and lays the columns out.
    void restore();
    // Lays the columns out for the list's width now.
    void layOut();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void resized(int column, int width);
    void save();
    int storedWidth(const QString &key, int defaultWidth) const;

    ListViewControl &m_view;
    // Kept apart from the view, whose events may come while it is being
    // destroyed, when it no longer is a scroll area to ask.
    QWidget *m_viewport;
    SettingsStore &m_store;
    int m_defaultFile;
    int m_file;
    int m_results = 0; // 0 while "Results" fills the room "File" leaves
    bool m_layingOut = false;
    bool m_changed = false;
};

} // namespace Quillfen

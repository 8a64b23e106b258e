#pragma once

#include "platform/WindowState.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

namespace Quillfen {

// The progress bar with a caption of its own on the bar in place of Qt's
// percentage format, so a caption such as a file name is shown as it is.
// A new value or caption reaches the bar when window events next run, and
// at most every PaceMilliseconds: QProgressBar repaints at once on most
// changes, and a run that yields every few milliseconds would pay for
// painting the whole bar at every yield, faster than anyone reads it.
class CaptionedProgressBar final : public QProgressBar, public ProgressDisplay
{
    Q_OBJECT

public:
    static constexpr int Scale = 100; // steps per percent
    static constexpr int PaceMilliseconds = 40;

    explicit CaptionedProgressBar(QWidget *parent = nullptr);

    // The latest caption and value, shown or about to be.
    QString text() const override { return m_caption; }
    // On the 0 to 100 scale.
    double percent() const { return m_percent; }

    void setProgressValue(double percent) override;
    void setProgressCaption(const QString &caption) override;

private:
    void showLater();
    void showPending();

    QString m_caption;
    double m_percent = 0;
    bool m_showQueued = false;
    QElapsedTimer m_sinceShown;
    // Shows what a change within the pace left pending once events run;
    // a later change shows it sooner when its time has come.
    QTimer m_pace;
};

} // namespace Quillfen

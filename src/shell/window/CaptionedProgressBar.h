#pragma once

#include "platform/WindowState.h"

#include <QProgressBar>

namespace Quillfen {

// The progress bar with a caption of its own on the bar in place of Qt's
// percentage format, so a caption such as a file name is shown as it is.
// A new value reaches the bar when window events next run: QProgressBar
// repaints at once on most changes, which a run over many small files
// would pay for at every file.
class CaptionedProgressBar final : public QProgressBar, public ProgressDisplay
{
    Q_OBJECT

public:
    static constexpr int Scale = 100; // steps per percent

    explicit CaptionedProgressBar(QWidget *parent = nullptr);

    QString text() const override { return m_caption; }
    // The latest value on the 0 to 100 scale, shown or about to be.
    double percent() const { return m_percent; }

    void setProgressValue(double percent) override;
    void setProgressCaption(const QString &caption) override;

private:
    void showPendingValue();

    QString m_caption;
    double m_percent = 0;
    bool m_valuePending = false;
};

} // namespace Quillfen

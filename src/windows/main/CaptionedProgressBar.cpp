#include "CaptionedProgressBar.h"

#include <cmath>

namespace Quillfen {

CaptionedProgressBar::CaptionedProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100 * Scale);
    setValue(0);
    // The caption is the whole text; an empty format also keeps the bar
    // from repainting for the sake of a percentage it never shows.
    setFormat(QString());
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    m_pace.setSingleShot(true);
    connect(&m_pace, &QTimer::timeout, this, &CaptionedProgressBar::showPending);
}

void CaptionedProgressBar::setProgressValue(double percent)
{
    m_percent = std::isfinite(percent) ? qBound(0.0, percent, 100.0) : 0.0;
    showLater();
}

// The caption is the bar's accessible name as well, which changes at once.
void CaptionedProgressBar::setProgressCaption(const QString &caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    showLater();
}

void CaptionedProgressBar::showLater()
{
    if (m_showQueued)
        return;
    const qint64 since = m_sinceShown.isValid() ? m_sinceShown.elapsed() : PaceMilliseconds;
    if (since >= PaceMilliseconds) {
        m_showQueued = true;
        QMetaObject::invokeMethod(this, &CaptionedProgressBar::showPending, Qt::QueuedConnection);
    } else if (!m_pace.isActive()) {
        m_pace.start(int(PaceMilliseconds - since));
    }
}

void CaptionedProgressBar::showPending()
{
    m_showQueued = false;
    m_pace.stop();
    m_sinceShown.start();
    // QProgressBar repaints at once on a visible change, the window behind
    // it too; with updates off the change, and the caption, are painted
    // with everything else at the next paint (turning updates on asks for
    // one).
    setUpdatesEnabled(false);
    setValue(int(std::lround(m_percent * Scale)));
    setUpdatesEnabled(true);
}

} // namespace Quillfen

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
}

void CaptionedProgressBar::setProgressValue(double percent)
{
    m_percent = std::isfinite(percent) ? qBound(0.0, percent, 100.0) : 0.0;
    if (m_valuePending)
        return;
    m_valuePending = true;
    QMetaObject::invokeMethod(this, &CaptionedProgressBar::showPendingValue, Qt::QueuedConnection);
}

void CaptionedProgressBar::showPendingValue()
{
    m_valuePending = false;
    // QProgressBar repaints at once on a visible change, the window behind
    // it too; with updates off the change is painted with everything else
    // at the next paint.
    setUpdatesEnabled(false);
    setValue(int(std::lround(m_percent * Scale)));
    setUpdatesEnabled(true);
}

// The caption is the bar's accessible name as well.
void CaptionedProgressBar::setProgressCaption(const QString &caption)
{
    m_caption = caption;
    update();
    setAccessibleName(caption);
}

} // namespace Quillfen

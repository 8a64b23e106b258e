#include "HomePage.h"

#include <QRandomGenerator>
#include <QTime>

namespace Quillfen {

QString homePageAddress()
{
    return QStringLiteral(QUILLFEN_HOME_PAGE);
}

int homePageDraw(quint32 seed)
{
    QRandomGenerator generator(seed);
    return int(generator.generateDouble() * 100) + 1;
}

quint32 secondsSinceMidnight()
{
    return quint32(QTime::currentTime().msecsSinceStartOfDay() / 1000);
}

} // namespace Quillfen

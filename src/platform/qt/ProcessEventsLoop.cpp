#include "ProcessEventsLoop.h"

#include <QCoreApplication>

namespace Quillfen {

void ProcessEventsLoop::yield()
{
    QCoreApplication::processEvents();
}

} // namespace Quillfen

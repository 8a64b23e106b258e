#include "DocumentFailure.h"

#include "platform/FileReading.h"

namespace Quillfen {

void requireReadableFile(const QString &path)
{
    FileBlocks opened(path);
}

} // namespace Quillfen

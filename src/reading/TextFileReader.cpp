#include "TextFileReader.h"

#include "TextDecoding.h"
#include "platform/FileReading.h"

namespace Quillfen {

QStringList ReadTextFile(const QString &path)
{
    return {decodeTextFile(readWholeFile(path))};
}

} // namespace Quillfen

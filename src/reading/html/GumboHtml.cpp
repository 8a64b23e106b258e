#include "GumboHtml.h"

#include "HtmlRendering.h"
#include "platform/FileReading.h"

namespace Quillfen {

QString GumboHtml::renderedText(const QString &path)
{
    return renderedTextOfHtml(readWholeFile(path));
}

} // namespace Quillfen

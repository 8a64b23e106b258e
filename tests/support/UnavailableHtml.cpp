#include "UnavailableHtml.h"

#include "platform/Failure.h"

using namespace Qt::StringLiterals;

namespace Quillfen::Testing {

QString UnavailableHtml::renderedText(const QString &path)
{
    throw Failure(u"Cannot read \""_s + path + u"\": HTML pages cannot be read yet"_s);
}

} // namespace Quillfen::Testing

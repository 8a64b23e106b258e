#pragma once

#include <QString>

namespace Quillfen {

// The rendered text of an HTML page's body, its line ends CR LF. Throws
// Failure when the page cannot be read or has no body. quillfen-cli -j
// calls it from several threads at once.
class HtmlTextSource
{
public:
    virtual ~HtmlTextSource() = default;
    virtual QString renderedText(const QString &path) = 0;
};

} // namespace Quillfen

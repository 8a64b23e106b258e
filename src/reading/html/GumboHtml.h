#pragma once

#include "reading/HtmlTextSource.h"

namespace Quillfen {

// HTML pages read with gumbo and rendered by our own walk (HtmlRendering.h).
// A page is complete as soon as it is parsed; nothing waits.
class GumboHtml final : public HtmlTextSource
{
public:
    // Throws Failure when the file cannot be read.
    QString renderedText(const QString &path) override;
};

} // namespace Quillfen

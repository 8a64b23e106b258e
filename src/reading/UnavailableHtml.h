#pragma once

#include "HtmlTextSource.h"

namespace Quillfen {

// Stands in until HTML pages can be rendered: every page is a failure.
class UnavailableHtml final : public HtmlTextSource
{
public:
    QString renderedText(const QString &path) override;
};

} // namespace Quillfen

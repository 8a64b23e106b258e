#pragma once

#include "reading/HtmlTextSource.h"

namespace Quillfen::Testing {

// An HTML reader for tests that read no pages: every page is a failure.
class UnavailableHtml final : public HtmlTextSource
{
public:
    QString renderedText(const QString &path) override;
};

} // namespace Quillfen::Testing

#pragma once

#include "platform/Failure.h"

namespace Quillfen {

// A document read only in part: the text that was read, and the report
// that says why the rest is missing. Its rows are kept; callers that do
// not know it report it as any failure, with no rows.
class IncompleteText : public Failure
{
public:
    IncompleteText(QString text, QString description)
        : Failure(std::move(description)), m_text(std::move(text))
    {}

    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

} // namespace Quillfen

#pragma once

#include "ExtractionChoices.h"
#include "RowSink.h"
#include "RowTexts.h"
#include "reading/ReadingChoices.h"

#include <QString>

namespace Quillfen {

// The input file list as the run sees it: rows numbered from 1.
class InputRows
{
public:
    virtual ~InputRows() = default;
    virtual int rowCount() const = 0;
    // Throws Failure when the row does not exist (any more).
    virtual QString rowText(int row) const = 0;
};

// The results list as the run fills it. Rows may be buffered; flushRows()
// makes every appended row visible and runs before each yield. The rows
// appended after beginFile() came from that file.
class ResultRows : public RowSink
{
public:
    virtual void beginFile(const QString &path) { Q_UNUSED(path) }
    // Appends rows [from, to) of texts, which will not change them; a list
    // that keeps its rows in RowTexts takes them in place.
    virtual void appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to)
    {
        for (qsizetype row = from; row < to; ++row)
            append(texts->text(row));
    }
    virtual void clearRows() = 0;
    virtual void flushRows() {}
};

// The option buttons and filter texts, read at the moment of use.
class ExtractionOptions
{
public:
    virtual ~ExtractionOptions() = default;
    virtual ExtractMode mode() const = 0;
    virtual LineFilter filter() const = 0;
    // How documents are read (OCR, the time a document may take).
    virtual ReadingChoices readingChoices() const { return {}; }
};

// The stored abbreviation list value (Get("Abbreviations")), read afresh.
class AbbreviationSource
{
public:
    virtual ~AbbreviationSource() = default;
    virtual QString storedValue() const = 0;
};

} // namespace Quillfen

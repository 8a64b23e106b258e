#pragma once

#include "extract/RowSink.h"
#include "extract/RowTexts.h"
#include "extract/RunChoices.h"

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
    // The files of the last run that could not be read, each with why, for
    // the list to mark; a new run starts with none.
    virtual void markUnread(const QString &path, const QString &reason)
    {
        Q_UNUSED(path)
        Q_UNUSED(reason)
    }
    virtual void clearUnreadMarks() {}
};

// The results list as the run fills it. Rows may be buffered; flushRows()
// makes every appended row visible. The rows appended after beginFile()
// came from that file.
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

// The window's options, read once when a run starts.
class ExtractionOptions
{
public:
    virtual ~ExtractionOptions() = default;
    virtual RunChoices choices() const = 0;
};

} // namespace Quillfen

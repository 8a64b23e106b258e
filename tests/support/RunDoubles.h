#pragma once

// Plain stand-ins for the window's lists and options, for driving an
// ExtractionRun without a window.

#include "ScriptedPlatform.h"
#include "extract/ExtractionRun.h"
#include "extract/RunInterfaces.h"
#include "platform/BackgroundWork.h"
#include "platform/Failure.h"

#include <QStringList>

namespace Quillfen::Testing {

class ListInputs final : public InputRows
{
public:
    QStringList rows;
    int rowCount() const override { return int(rows.size()); }
    QString rowText(int row) const override
    {
        if (row < 1 || row > rows.size())
            throw Failure(QStringLiteral("Index out of bounds"));
        return rows[row - 1];
    }
};

class ListResults final : public ResultRows
{
public:
    QStringList rows;
    QStringList pending; // appended since the last flush
    int flushes = 0;
    void append(QStringView row) override { pending << row.toString(); }
    void clearRows() override
    {
        rows.clear();
        pending.clear();
    }
    void flushRows() override
    {
        rows << pending;
        pending.clear();
        ++flushes;
    }
    QStringList all() const { return rows + pending; }
};

class FixedOptions final : public ExtractionOptions
{
public:
    ExtractMode currentMode = ExtractMode::Paragraph;
    LineFilter currentFilter;
    ExtractMode mode() const override { return currentMode; }
    LineFilter filter() const override { return currentFilter; }
};

class FixedAbbreviations final : public AbbreviationSource
{
public:
    QString value;
    QString storedValue() const override { return value; }
};

// Collects the rows a cut emits, as strings.
struct StringRows final : RowSink
{
    QStringList rows;
    void append(QStringView row) override { rows.append(row.toString()); }
};

// A whole "Start Extracting" run over real files, with the HTML reader Html.
template <typename Html> struct RunFixture
{
    ScriptedPlatform platform;
    ListInputs inputs;
    ListResults results;
    FixedOptions options;
    FixedAbbreviations abbreviations;
    Html html;
    InlineWork work;
    ExtractionRun run{RunEnvironment{platform, platform, platform, platform, inputs, results,
                                     options, abbreviations, html, work}};
};

} // namespace Quillfen::Testing

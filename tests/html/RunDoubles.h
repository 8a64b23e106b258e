#pragma once

#include "extract/ExtractionRun.h"
#include "extract/RunInterfaces.h"
#include "platform/BackgroundWork.h"
#include "platform/Failure.h"
#include "platform/fake/ScriptedPlatform.h"
#include "reading/html/GumboHtml.h"

#include <QStringList>

namespace Quillfen {

// The pieces of a run that the window would provide, held in plain lists.

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

    void append(QStringView row) override { rows << row.toString(); }
    void clearRows() override { rows.clear(); }
};

class FixedOptions final : public ExtractionOptions
{
public:
    ExtractMode chosenMode = ExtractMode::Paragraph;
    LineFilter chosenFilter;

    ExtractMode mode() const override { return chosenMode; }
    LineFilter filter() const override { return chosenFilter; }
};

class FixedAbbreviations final : public AbbreviationSource
{
public:
    QString value;

    QString storedValue() const override { return value; }
};

// A whole "Start Extracting" run over real files, with the real HTML reader.
struct RunFixture
{
    ScriptedPlatform platform;
    ListInputs inputs;
    ListResults results;
    FixedOptions options;
    FixedAbbreviations abbreviations;
    GumboHtml html;
    InlineWork work;
    ExtractionRun run{RunEnvironment{platform, platform, platform, platform, inputs, results,
                                     options, abbreviations, html, work}};
};

// Collects emitted rows.
class CollectRows final : public RowSink
{
public:
    QStringList rows;

    void append(QStringView row) override { rows << row.toString(); }
};

} // namespace Quillfen

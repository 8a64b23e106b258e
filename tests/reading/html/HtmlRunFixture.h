#pragma once

#include "RunDoubles.h"

#include "extract/ExtractionRun.h"
#include "platform/BackgroundWork.h"
#include "ScriptedPlatform.h"
#include "reading/html/GumboHtml.h"

#include <QStringList>

namespace Quillfen::Testing {

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

} // namespace Quillfen::Testing

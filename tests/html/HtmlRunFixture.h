#pragma once

#include "RunDoubles.h"

#include "extract/ExtractionRun.h"
#include "platform/BackgroundWork.h"
#include "platform/fake/ScriptedPlatform.h"
#include "reading/html/GumboHtml.h"

#include <QStringList>

namespace Quillfen {

// A whole "Start Extracting" run over real files, with the real HTML reader.
struct RunFixture
{
    ScriptedPlatform platform;
    Testing::ListInputs inputs;
    Testing::ListResults results;
    Testing::FixedOptions options;
    Testing::FixedAbbreviations abbreviations;
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

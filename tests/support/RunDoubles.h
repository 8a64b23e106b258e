#pragma once

// Plain stand-ins for the window's lists and options, for driving an
// ExtractionRun without a window.

#include "ScriptedPlatform.h"
#include "platform/Failure.h"
#include "run/ExtractionRun.h"
#include "run/RunInterfaces.h"

#include <QHash>
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
    QHash<QString, QString> unread; // marked by the last run
    void markUnread(const QString &path, const QString &reason) override
    {
        unread.insert(path, reason);
    }
    void clearUnreadMarks() override { unread.clear(); }
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
    RunChoices current;
    mutable int taken = 0; // how often a run took them
    RunChoices choices() const override
    {
        ++taken;
        return current;
    }
};

// Collects the rows a cut emits, as strings.
struct StringRows final : RowSink
{
    QStringList rows;
    void append(QStringView row) override { rows.append(row.toString()); }
};

// A whole "Start Extracting" run over real files.
struct RunFixture
{
    ScriptedPlatform platform;
    ListInputs inputs;
    ListResults results;
    FixedOptions options;
    ExtractionRun run{
        RunEnvironment{platform, platform, platform, platform, inputs, results, options}};
};

} // namespace Quillfen::Testing

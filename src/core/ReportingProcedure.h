#pragma once

#include "ApplicationError.h"
#include "platform/Failure.h"

#include <QString>
#include <optional>
#include <utility>

namespace Quillfen {

// Where a reporting procedure's failures go: the window shows each as the
// application error report; the command line writes one line of its own.
class FailureReports
{
public:
    virtual ~FailureReports() = default;
    virtual void failed(const QString &procedure, int statement, const QString &description) = 0;
};

// The window's reports: a modal "Application Error" box each.
class ReportBoxes final : public FailureReports
{
public:
    explicit ReportBoxes(MessageBoxes &boxes) : m_boxes(boxes) {}
    void failed(const QString &procedure, int statement, const QString &description) override
    {
        showApplicationError(m_boxes, procedure, statement, description);
    }

private:
    MessageBoxes &m_boxes;
};

// The resume rule of every reporting action: a statement that can fail
// runs inside step() with its number from ReportSites.h; when it fails,
// the failure is reported with the action's identifier and that number and
// the action goes on with the next statement. A failing test counts as
// holding, so execution continues into the branch it guards.
//
//     ReportingProcedure proc(boxes, ReportSites::ClearResults::Identifier);
//     proc.step(ReportSites::ClearResults::Clear, [&] { results.clear(); });
class ReportingProcedure
{
public:
    ReportingProcedure(MessageBoxes &boxes, QString identifier)
        : m_boxes(std::in_place, boxes), m_reports(&*m_boxes), m_identifier(std::move(identifier))
    {}
    ReportingProcedure(FailureReports &reports, QString identifier)
        : m_reports(&reports), m_identifier(std::move(identifier))
    {}
    Q_DISABLE_COPY_MOVE(ReportingProcedure)

    // Runs one statement; returns false when it failed (and was reported).
    template <typename Statement> bool step(int number, Statement &&statement)
    {
        m_statement = number;
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (...) {
            report(describeCurrentException());
            return false;
        }
    }

    // Evaluates the test of a conditional; a failing test holds.
    template <typename Test> bool test(int number, Test &&condition)
    {
        m_statement = number;
        try {
            return std::forward<Test>(condition)();
        } catch (...) {
            report(describeCurrentException());
            return true;
        }
    }

    // Reports a failure found without an exception, at the current statement.
    void report(const QString &description)
    {
        ++m_failures;
        m_reports->failed(m_identifier, m_statement, description);
    }

    int failureCount() const { return m_failures; }
    const QString &identifier() const { return m_identifier; }

private:
    std::optional<ReportBoxes> m_boxes;
    FailureReports *m_reports;
    QString m_identifier;
    int m_statement = 0;
    int m_failures = 0;
};

} // namespace Quillfen

#pragma once

#include "ApplicationError.h"
#include "platform/Failure.h"

#include <QString>

#include <utility>

namespace Quillfen {

// The resume rule of every reporting procedure: each statement carries its
// number (100, 102, ...); a statement that fails is reported with the
// procedure's identifier and that number, and the procedure goes on with
// the next statement. A failing test counts as holding, so execution
// continues into the branch it guards.
//
//     ReportingProcedure proc(boxes, u"in Brisvane2021/08/31.Form1.PushButton9_Click "_s);
//     proc.step(100, [&] { results.clear(); });
//     if (proc.test(102, [&] { return !path.isEmpty(); }))
//         proc.step(104, [&] { save(path); });
class ReportingProcedure
{
public:
    ReportingProcedure(MessageBoxes &boxes, QString identifier)
        : m_boxes(boxes), m_identifier(std::move(identifier))
    {
    }
    Q_DISABLE_COPY_MOVE(ReportingProcedure)

    // Runs one statement; returns false when it failed (and was reported).
    template <typename Statement>
    bool step(int number, Statement &&statement)
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
    template <typename Test>
    bool test(int number, Test &&condition)
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
        ShowApplicationError(m_boxes, m_identifier, m_statement, description);
    }

    int statementNumber() const { return m_statement; }
    int failureCount() const { return m_failures; }
    const QString &identifier() const { return m_identifier; }

private:
    MessageBoxes &m_boxes;
    QString m_identifier;
    int m_statement = 0;
    int m_failures = 0;
};

} // namespace Quillfen

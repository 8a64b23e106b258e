#include "ScriptedPlatform.h"
#include "core/ApplicationError.h"
#include "core/ReportingProcedure.h"

#include <QTest>
#include <stdexcept>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {
const QString Load = u"in Brisvane2021/08/31.Form1.Form_Load "_s;

QString expectedReport(const QString &description, int statement)
{
    return description + u"\r\nin Brisvane2021/08/31.Form1.Form_Load at line "_s +
           QString::number(statement) + u"\r\rPlease email screenshot of this message to "_s +
           supportAddress();
}
} // namespace

class ErrorReportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void report_hasExactLayout()
    {
        ScriptedPlatform platform;
        showApplicationError(platform, Load, 118, u"Disk not ready"_s);
        QCOMPARE(platform.shownRequests().size(), 1);
        const MessageRequest shown = platform.shownRequests().first();
        QCOMPARE(shown.text, expectedReport(u"Disk not ready"_s, 118));
        QCOMPARE(shown.caption, u"Application Error"_s);
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QVERIFY(shown.text.contains(u"Form_Load at line 118\r\rPlease"_s));
    }

    void failingStatement_isReportedAndProcedureGoesOn()
    {
        ScriptedPlatform platform;
        ReportingProcedure proc(platform, Load);
        QStringList done;
        proc.step(100, [&] { done << u"100"_s; });
        const bool ok = proc.step(102, [&] { throw Failure(u"Broken"_s); });
        proc.step(104, [&] { done << u"104"_s; });
        QVERIFY(!ok);
        QCOMPARE(done, (QStringList{u"100"_s, u"104"_s}));
        QCOMPARE(platform.shownMessages(), QStringList{expectedReport(u"Broken"_s, 102)});
    }

    void failingTest_entersTheBranchItGuards()
    {
        ScriptedPlatform platform;
        ReportingProcedure proc(platform, Load);
        bool entered = false;
        if (proc.test(104, []() -> bool { throw std::runtime_error("bad test"); }))
            entered = true;
        QVERIFY(entered);
        QCOMPARE(platform.shownMessages(), QStringList{expectedReport(u"bad test"_s, 104)});
        QVERIFY(!proc.test(106, [] { return false; }));
    }

    void threeFailures_giveThreeReportsInOrder()
    {
        ScriptedPlatform platform;
        ReportingProcedure proc(platform, Load);
        for (int n : {100, 102, 104})
            proc.step(n, [n] { throw Failure(u"F"_s + QString::number(n)); });
        QCOMPARE(platform.shownMessages(),
                 (QStringList{expectedReport(u"F100"_s, 100), expectedReport(u"F102"_s, 102),
                              expectedReport(u"F104"_s, 104)}));
        QCOMPARE(proc.failureCount(), 3);
    }

    void failureBeforeAnyStatement_reportsZero()
    {
        ScriptedPlatform platform;
        ReportingProcedure proc(platform, Load);
        proc.report(u"Early"_s);
        QCOMPARE(platform.shownMessages(), QStringList{expectedReport(u"Early"_s, 0)});
    }

    void titleRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("no blank stays") << u"Quillfen"_s << u"Quillfen"_s;
        QTest::newRow("last word always goes") << u"Quillfen Text Tool"_s << u"Quillfen Text"_s;
        QTest::newRow("long name cut to 40")
            << u"Quillfen Extract Paragraphs And Sentences From Many Files"_s
            << u"Quillfen Extract Paragraphs And"_s;
    }
    void titleRule()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(shortApplicationTitle(name), title);
        QVERIFY(shortApplicationTitle(name).size() <= 40 || !name.contains(u' '));
    }

    void plainMessage_carriesApplicationTitle()
    {
        ScriptedPlatform platform;
        showMessage(platform, u"Done."_s);
        QCOMPARE(
            platform.shownRequests().first(),
            (MessageRequest{u"Done."_s, u"Quillfen"_s, MessageButtons::Ok, MessageIcon::None}));
    }
};

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "tst_errorreport.moc"

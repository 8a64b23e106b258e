#include "ScriptedPlatform.h"
#include "TableList.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "results/export/ClipboardExport.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

using Rows = QList<QStringList>;
using Checks = QList<bool>;

class ClipboardExportTest : public QObject
{
    Q_OBJECT

private:
    ScriptedPlatform m_platform;
    TableList m_list;

    void copy()
    {
        copyResultsToClipboard({m_platform, m_platform, m_platform, m_platform, &m_platform},
                               m_list);
    }
    void fill(const QStringList &headers, const Rows &rows, const Checks &checks)
    {
        m_list.headers = headers;
        for (qsizetype i = 0; i < rows.size(); ++i)
            m_list.add(rows[i], checks.value(i, true));
    }

private Q_SLOTS:
    void init()
    {
        m_platform = ScriptedPlatform();
        m_list = TableList();
    }

    void clipboardText_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<Checks>("checks");
        QTest::addColumn<QString>("text");
        const QStringList one{u"Results"_s};
        const QStringList two{u"A"_s, u"B"_s};
        QTest::newRow("one column, trailing blanks removed")
            << one << Rows{{u"alpha"_s}, {u"be  "_s}} << Checks{} << u"alpha\r\nbe\r\n"_s;
        QTest::newRow("blank row becomes an empty line")
            << one << Rows{{u"x"_s}, {u"   "_s}, {u"y"_s}} << Checks{} << u"x\r\n\r\ny\r\n"_s;
        QTest::newRow("unchecked rows left out") << one << Rows{{u"a"_s}, {u"b"_s}, {u"c"_s}}
                                                 << Checks{false, true, false} << u"b\r\n"_s;
        QTest::newRow("no row checked gives the empty text")
            << one << Rows{{u"a"_s}, {u"b"_s}} << Checks{false, false} << QString();
        QTest::newRow("inner blanks and tabs kept")
            << one << Rows{{u" a  b\tc\t "_s}} << Checks{} << u" a  b\tc\t\r\n"_s;
        QTest::newRow("line breaks inside a row kept")
            << one << Rows{{u"a \r\nb "_s}} << Checks{} << u"a \r\nb\r\n"_s;
        // Widths 5 and 3 come from the unchecked first row.
        QTest::newRow("two columns padded, last tab removed")
            << two << Rows{{u"abcde"_s, u"x"_s}, {u"ab"_s, u"xyz"_s}} << Checks{false, true}
            << u"ab   \txyz\r\n"_s;
        QTest::newRow("two columns, short last cell loses its padding")
            << two << Rows{{u"abcde"_s, u"xyz"_s}, {u"ab"_s, u"x"_s}} << Checks{}
            << u"abcde\txyz\r\nab   \tx\r\n"_s;
        QTest::newRow("two columns, empty last cell keeps the tab")
            << two << Rows{{u"abcde"_s, u"xyz"_s}, {u"ab"_s, QString()}} << Checks{false, true}
            << u"ab   \t\r\n"_s;
        QTest::newRow("two columns, blank cells")
            << two << Rows{{u"a"_s, u"b"_s}, {u" "_s, u" "_s}} << Checks{} << u"a\tb\r\n \t\r\n"_s;
        QTest::newRow("three columns, missing sub-items are empty")
            << QStringList{u"A"_s, u"B"_s, u"C"_s} << Rows{{u"1"_s, u"22"_s, u"333"_s}, {u"4444"_s}}
            << Checks{} << u"1   \t22\t333\r\n4444\t  \t\r\n"_s;
    }
    void clipboardText()
    {
        QFETCH(QStringList, headers);
        QFETCH(Rows, rows);
        QFETCH(Checks, checks);
        QFETCH(QString, text);
        fill(headers, rows, checks);
        copy();
        QCOMPARE(m_platform.clipboard, text);
        QCOMPARE(m_platform.clipboardWrites, 1);
        QCOMPARE(m_platform.shownMessages(), QStringList{ResultsCopiedMessage});
    }

    void message_isExactWithTitleAndNoIcon()
    {
        fill({u"Results"_s}, {{u"a"_s}}, {});
        copy();
        QCOMPARE(m_platform.shownRequests().size(), 1);
        const MessageRequest shown = m_platform.shownRequests().first();
        QCOMPARE(shown.text, u"Results have been copied to the clipboard.\r\rClick a text area "
                             "where you normally type and press Ctrl+V to paste the clipboard."_s);
        QCOMPARE(shown.caption, applicationTitle());
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(shown.icon, MessageIcon::None);
    }

    void emptyList_leavesClipboardAndStillSaysCopied()
    {
        m_platform.clipboard = u"before"_s;
        copy();
        QCOMPARE(m_platform.clipboard, u"before"_s);
        QCOMPARE(m_platform.clipboardAttempts, 0);
        QCOMPARE(m_platform.shownMessages(), QStringList{ResultsCopiedMessage});
    }

    void busyClipboard_retriesThenSaysNothingWasCopied()
    {
        fill({u"Results"_s}, {{u"a"_s}}, {});
        m_platform.clipboard = u"before"_s;
        m_platform.clipboardBusyAttempts = 5000;
        copy();
        QCOMPARE(m_platform.clipboardAttempts, 2 * ClipboardAttempts);
        QCOMPARE(m_platform.clipboard, u"before"_s);
        QCOMPARE(m_platform.shownMessages(), QStringList{ClipboardBusyMessage});
        QCOMPARE(m_platform.shownRequests().first().caption, applicationTitle());
    }

    void clipboardFreedDuringRetries_copies_data()
    {
        QTest::addColumn<int>("busy");
        QTest::addColumn<int>("attempts");
        // Clearing gives up after its 1000 attempts; setting then succeeds.
        QTest::newRow("busy while clearing") << 1000 << 1001;
        QTest::newRow("busy into setting") << 1999 << 2000;
        QTest::newRow("free at the tenth attempt") << 9 << 11;
    }
    void clipboardFreedDuringRetries_copies()
    {
        QFETCH(int, busy);
        QFETCH(int, attempts);
        fill({u"Results"_s}, {{u"a"_s}}, {});
        m_platform.clipboardBusyAttempts = busy;
        copy();
        QCOMPARE(m_platform.clipboardAttempts, attempts);
        QCOMPARE(m_platform.clipboard, u"a\r\n"_s);
        QCOMPARE(m_platform.shownMessages(), QStringList{ResultsCopiedMessage});
    }

    void rowVanishing_reportsAndShowsNoCopiedMessage()
    {
        fill({u"Results"_s}, {{u"a"_s}, {u"b"_s}, {u"c"_s}}, {});
        m_platform.clipboard = u"before"_s;
        m_platform.onYield([this](int n) {
            if (n == 5) // while the rows are being laid out
                m_list.clear();
        });
        copy();
        QCOMPARE(m_platform.shownMessages(),
                 QStringList{applicationErrorText(ReportSites::CopyResults::Identifier, 106,
                                                  u"Index out of bounds"_s)});
        QCOMPARE(m_platform.clipboard, u"before"_s);
        QCOMPARE(m_platform.clipboardAttempts, 0);
    }

    void rowChangedBetweenPasses_isNotPadded()
    {
        // The first pass measures width 2; the row grows before the second.
        fill({u"A"_s, u"B"_s}, {{u"ab"_s, u"x"_s}}, {});
        m_platform.onYield([this](int n) {
            if (n == 3)
                m_list.rows[0][0] = u"abcd"_s;
        });
        copy();
        QCOMPARE(m_platform.clipboard, u"abcd\tx\r\n"_s);
    }
};

QTEST_GUILESS_MAIN(ClipboardExportTest)
#include "tst_clipboardexport.moc"

#include "ScriptedPlatform.h"
#include "TableList.h"
#include "TreeFixture.h"
#include "XlsxReader.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "results/export/ColumnFit.h"
#include "results/export/SpreadsheetExport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class SpreadsheetExportTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    QString m_folder;
    ScriptedPlatform m_platform;
    TableList m_list;

    void exportList()
    {
        saveResultsToSpreadsheet({m_platform, m_platform, m_platform, m_platform, &m_platform},
                                 m_list, m_folder);
    }
    // Exports, requires one opened workbook and reads its sheet back.
    XlsxSheet exportAndRead()
    {
        m_platform.spreadsheetAvailable = true;
        exportList();
        if (m_platform.openedWorkbooks.size() != 1) {
            XlsxSheet none;
            none.error = u"opened workbooks: "_s + m_platform.openedWorkbooks.join(u", "_s) +
                         u"; messages: "_s + m_platform.shownMessages().join(u" | "_s);
            return none;
        }
        return readFirstSheet(m_platform.openedWorkbooks.first());
    }
    QStringList workbooksInFolder() const
    {
        return QDir(m_folder).entryList({u"*.xlsx"_s}, QDir::Files);
    }
    static QString report(int statement, const QString &description)
    {
        return applicationErrorText(ReportSites::SaveExcelFile::Identifier, statement, description);
    }

private Q_SLOTS:
    void init()
    {
        m_platform = ScriptedPlatform();
        m_list = TableList();
        m_folder = m_tree.path(QString::fromLatin1(QTest::currentTestFunction()));
    }

    // Without a program that shows workbooks, a save dialog asks where the
    // workbook goes; nothing is opened and nothing lands in the cache folder.
    void noApplication_asksWhereToSave_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::addColumn<bool>("chosen");    // false: the dialog is cancelled
        QTest::addColumn<QByteArray>("old"); // null: no file there yet
        QTest::addColumn<int>("answer");     // to the overwrite question
        QTest::addColumn<bool>("written");
        QTest::newRow("empty list: no dialog") << false << true << QByteArray() << 0 << false;
        QTest::newRow("cancelled") << true << false << QByteArray() << 0 << false;
        QTest::newRow("new file") << true << true << QByteArray() << 0 << true;
        QTest::newRow("existing file, No")
            << true << true << QByteArray("old") << int(MessageAnswer::No) << false;
        QTest::newRow("existing file, Yes")
            << true << true << QByteArray("old") << int(MessageAnswer::Yes) << true;
    }
    void noApplication_asksWhereToSave()
    {
        QFETCH(bool, rows);
        QFETCH(bool, chosen);
        QFETCH(QByteArray, old);
        QFETCH(int, answer);
        QFETCH(bool, written);
        if (rows)
            m_list.addTexts({u"first"_s, u"=2"_s});
        const QString path =
            m_tree.path(u"chosen-"_s + QString::fromLatin1(QTest::currentDataTag()) + u".xlsx"_s);
        if (!old.isNull())
            m_tree.write(QFileInfo(path).fileName(), old);
        if (chosen)
            m_platform.answerSaveFile(path);
        m_platform.answerNext(MessageAnswer(answer));
        m_platform.spreadsheetAvailable = false;
        exportList();

        QCOMPARE(m_platform.dialogsShown().size(), rows ? 1 : 0);
        if (rows) {
            const auto dialog = m_platform.dialogsShown().first();
            QCOMPARE(dialog.kind, u"saveFile"_s);
            QCOMPARE(dialog.filters.first(),
                     (FileFilter{u"Excel Workbook (*.xlsx)"_s, u"*.xlsx"_s}));
        }
        QCOMPARE(m_platform.shownMessages().size(), old.isNull() ? 0 : 1);
        QVERIFY(m_platform.openedWorkbooks.isEmpty());
        QVERIFY(!QFileInfo::exists(m_folder));
        if (written) {
            const XlsxSheet sheet = readFirstSheet(path);
            QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
            QCOMPARE(sheet.text(u"A1"_s), u"Results"_s);
            QCOMPARE(sheet.text(u"A3"_s), u"=2"_s);
        } else if (!old.isNull()) {
            QCOMPARE(readFile(path), old);
        } else {
            QVERIFY(!QFileInfo::exists(path));
        }
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(m_tree.root()).entryList({u".*.part"_s}, QDir::Files | QDir::Hidden),
                 QStringList());
        QCOMPARE(m_platform.pointerMode(), PointerMode::Default);
    }

    void noApplication_nameTypedBare_getsXlsx()
    {
        m_list.addTexts({u"first"_s});
        m_platform.answerSaveFile(m_tree.path(u"bare"_s));
        m_platform.spreadsheetAvailable = false;
        exportList();
        QVERIFY(!QFileInfo::exists(m_tree.path(u"bare"_s)));
        const XlsxSheet sheet = readFirstSheet(m_tree.path(u"bare.xlsx"_s));
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.text(u"A2"_s), u"first"_s);
    }

    void opening_removesTheCacheFoldersWorkbooksOlderThanADay()
    {
        QDir().mkpath(m_folder);
        const QDateTime now = QDateTime::currentDateTime();
        auto workbook = [&](const QString &name, qint64 hoursOld) {
            QFile file(m_folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
            file.flush();
            QVERIFY(
                file.setFileTime(now.addSecs(-3600 * hoursOld), QFileDevice::FileModificationTime));
        };
        workbook(u"Results-2026-01-01-100000.xlsx"_s, 25);
        workbook(u"Results-2026-01-02-100000.xlsx"_s, 23);
        workbook(u"Mine.xlsx"_s, 48); // not one of ours
        m_list.addTexts({u"a"_s});
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QStringList left = workbooksInFolder();
        left.removeOne(QFileInfo(m_platform.openedWorkbooks.first()).fileName());
        QCOMPARE(left, (QStringList{u"Mine.xlsx"_s, u"Results-2026-01-02-100000.xlsx"_s}));
    }

    void emptyList_stopsSilently()
    {
        m_platform.spreadsheetAvailable = true;
        exportList();
        QVERIFY(m_platform.shownMessages().isEmpty());
        QVERIFY(m_platform.pointerHistory().isEmpty());
        QVERIFY(m_platform.openedWorkbooks.isEmpty());
        QVERIFY(!QFileInfo::exists(m_folder));
    }

    // A row over a cell's 32,767 characters keeps its start, never half a
    // surrogate pair; one message afterwards counts the rows cut.
    void longRows_areCutAndCounted_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("messages");
        const QString full(32767, u'a');
        const QString pairAtLimit = QString(32766, u'b') + u"\U0001F600"_s;
        QTest::newRow("exactly a cell") << QStringList{full} << QStringList{full} << QStringList{};
        QTest::newRow("one character more")
            << QStringList{full + u'z', u"short"_s} << QStringList{full, u"short"_s}
            << QStringList{rowsCutMessage(1)};
        QTest::newRow("a pair across the limit")
            << QStringList{pairAtLimit} << QStringList{pairAtLimit.first(32766)}
            << QStringList{rowsCutMessage(1)};
        QTest::newRow("two rows cut") << QStringList{full + u"yz"_s, full + full}
                                      << QStringList{full, full} << QStringList{rowsCutMessage(2)};
    }
    void longRows_areCutAndCounted()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, cells);
        QFETCH(QStringList, messages);
        m_list.addTexts(rows);
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        for (int i = 0; i < cells.size(); ++i)
            QCOMPARE(sheet.text(u"A"_s + QString::number(i + 2)), cells[i]);
        QCOMPARE(m_platform.shownMessages(), messages);
        QCOMPARE(rowsCutMessage(2), u"2 rows were longer than a spreadsheet cell holds: only their "
                                    "first 32,767 characters were written."_s);
    }

    void uncheckedMiddleRow_leavesNoGap()
    {
        m_list.add({u"first"_s});
        m_list.add({u"second"_s}, false);
        m_list.add({u"third"_s});
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.cells.keys(), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s}));
        QCOMPARE(sheet.text(u"A1"_s), u"Results"_s);
        QCOMPARE(sheet.text(u"A2"_s), u"first"_s);
        QCOMPARE(sheet.text(u"A3"_s), u"third"_s);
        QVERIFY(m_platform.shownMessages().isEmpty());
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
        const QFileInfo written(m_platform.openedWorkbooks.first());
        QCOMPARE(written.absolutePath(), QFileInfo(m_folder).absoluteFilePath());
        QCOMPARE(written.suffix(), u"xlsx"_s);
    }

    void everyValueIsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("formula") << u"=HYPERLINK(\"http://x.example\",\"click\")"_s;
        QTest::newRow("command") << u"=cmd|' /C calc'!A0"_s;
        QTest::newRow("plus and minus") << u"+1+2"_s;
        QTest::newRow("number with leading zero") << u"0123"_s;
        QTest::newRow("date-like") << u"2021/08/31"_s;
        QTest::newRow("markup characters") << u"<b>&amp; \"q\"</b>"_s;
        QTest::newRow("non-ASCII") << u"Καλημέρα 世界 😀"_s;
        QTest::newRow("line breaks") << u"one\rtwo\r\nthree\nfour"_s;
        QTest::newRow("escape-like sequences") << u"_x0041_ and _x000D_ and _x005F_ x_"_s;
        QTest::newRow("tab and control character") << u"a\tb\x01"
                                                      "c"_s;
    }
    void everyValueIsText()
    {
        QFETCH(QString, text);
        m_list.addTexts({text});
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QVERIFY(!sheet.anyFormula);
        const XlsxCell cell = sheet.cells.value(u"A2"_s);
        QVERIFY2(cell.type == u"inlineStr"_s || cell.type == u"s"_s, qPrintable(cell.type));
        QCOMPARE(cell.text, text);
    }

    void laterColumns_loseEqualsAndEmptyCellsAreSkipped()
    {
        m_list.headers = {u"One"_s, u"Two"_s, u"Three"_s};
        m_list.add({u"=a=b"_s, QString(), u"=c=d"_s});
        m_list.add({QString(), u"x"_s, u"y"_s});
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        // Row 1 leaves column 2 empty, so its header is not written.
        QCOMPARE(sheet.row(1), (QStringList{u"A1"_s, u"B1"_s}));
        QCOMPARE(sheet.text(u"A1"_s), u"One"_s);
        QCOMPARE(sheet.text(u"B1"_s), u"Three"_s);
        QCOMPARE(sheet.row(2), (QStringList{u"A2"_s, u"B2"_s}));
        QCOMPARE(sheet.text(u"A2"_s), u"=a=b"_s);
        QCOMPARE(sheet.text(u"B2"_s), u"cd"_s);
        QCOMPARE(sheet.row(3), (QStringList{u"A3"_s, u"B3"_s}));
        QCOMPARE(sheet.text(u"A3"_s), u"x"_s);
        QCOMPARE(sheet.text(u"B3"_s), u"y"_s);
    }

    void emptyFirstRow_writesNoHeader()
    {
        m_list.addTexts({QString(), u"b"_s});
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.cells.keys(), QStringList{u"A3"_s});
    }

    void columnWidths_fitTheLongestText()
    {
        m_list.headers = {u"Results"_s, u"B"_s};
        m_list.add({u"short"_s, u"b"_s});
        m_list.add({QString(40, u'x'), u"bb"_s});
        m_list.add({QString(50, u'y'), u"bbb"_s}, false); // not written, not measured
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.widths.keys(), (QList<int>{1, 2}));
        // The library rounds widths to whole pixels.
        QVERIFY2(qAbs(sheet.widths[1] - 41) < 1, qPrintable(QString::number(sheet.widths[1])));
        QVERIFY2(qAbs(sheet.widths[2] - 3) < 1, qPrintable(QString::number(sheet.widths[2])));
        // Text longer than its column wraps.
        for (const QString &cell : {u"A1"_s, u"A3"_s, u"B3"_s})
            QVERIFY2(sheet.cells.value(cell).wrapped, qPrintable(cell));
    }

    void columnFit_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<double>("width");
        QTest::newRow("nothing") << QStringList() << 0.0;
        QTest::newRow("longest text plus margin")
            << QStringList{u"abc"_s, u"abcdefgh"_s, u"ab"_s} << 9.0;
        QTest::newRow("longest line of a multi-line text")
            << QStringList{u"abcd\r\nabcdefghij\rab"_s} << 11.0;
        QTest::newRow("wide characters count twice") << QStringList{u"世界x"_s} << 6.0;
        QTest::newRow("a pair of surrogates is one character")
            << QStringList{u"a\U0001F600"_s, u"abc"_s} << 4.0;
        QTest::newRow("capped so that the next column shows")
            << QStringList{QString(1000, u'a')} << 100.0;
    }
    void columnFit()
    {
        QFETCH(QStringList, texts);
        QFETCH(double, width);
        ColumnFit fit;
        for (const QString &text : texts)
            fit.note(1, text);
        QCOMPARE(fit.width(1), width);
    }

    void workbookFolderUnusable_reportsOnceAndResetsPointer()
    {
        writeFile(m_folder, {}); // a file where the folder should be
        m_list.addTexts({u"a"_s, u"b"_s});
        m_platform.spreadsheetAvailable = true;
        exportList();
        QCOMPARE(m_platform.shownMessages(),
                 QStringList{report(112, u"Cannot create the folder "_s + m_folder)});
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
        QVERIFY(m_platform.openedWorkbooks.isEmpty());
    }

    void listClearedWhileWriting_reportsOnceAndShowsWhatWasWritten()
    {
        m_list.addTexts({u"a"_s, u"b"_s, u"c"_s, u"d"_s});
        m_platform.onYield([this](int n) {
            if (n == 4) // the yield before row 2
                m_list.clear();
        });
        const XlsxSheet sheet = exportAndRead();
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(m_platform.shownMessages(), QStringList{report(144, u"Index out of bounds"_s)});
        QCOMPARE(sheet.cells.keys(), (QStringList{u"A1"_s, u"A2"_s}));
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
    }

    void eachExport_isANewWorkbook()
    {
        m_list.addTexts({u"a"_s});
        m_platform.spreadsheetAvailable = true;
        exportList();
        exportList();
        QCOMPARE(m_platform.openedWorkbooks.size(), 2);
        QVERIFY(m_platform.openedWorkbooks[0] != m_platform.openedWorkbooks[1]);
        QCOMPARE(workbooksInFolder().size(), 2);
    }
};

QTEST_GUILESS_MAIN(SpreadsheetExportTest)
#include "tst_spreadsheetexport.moc"

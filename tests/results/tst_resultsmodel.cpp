#include "results/ResultsModel.h"
#include "results/RowDisplay.h"
#include "results/RowFinder.h"
#include "results/RowStore.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

class ResultsModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void store_keepsEveryTextExactly()
    {
        const QStringList texts = {u"alpha"_s, u""_s, u"line\r\nend"_s, u"\U0001F600 face"_s,
                                   u"alpha"_s};
        RowStore store;
        for (const QString &text : texts)
            store.append(text, true);
        QCOMPARE(store.size(), texts.size());
        for (qsizetype i = 0; i < texts.size(); ++i)
            QCOMPARE(store.text(i), texts.at(i));
    }

    void store_removeShiftsTextsAndCheckBits()
    {
        // 130 rows span three words of check bits; every third is unticked.
        RowStore store;
        QStringList expected;
        QList<bool> checks;
        for (int i = 0; i < 130; ++i) {
            expected << u"row "_s + QString::number(i);
            checks << (i % 3 != 0);
            store.append(expected.last(), checks.last());
        }
        for (int row : {129, 64, 63, 0, 70}) {
            store.remove(row);
            expected.removeAt(row);
            checks.removeAt(row);
        }
        QCOMPARE(store.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(store.text(i), expected.at(i));
            QCOMPARE(store.isChecked(i), checks.at(i));
        }
        store.append(u"new"_s, true);
        QVERIFY(store.isChecked(store.size() - 1));
        QCOMPARE(store.text(store.size() - 1), u"new"_s);
    }

    // Rows appended one by one and taken in stretches from other lists,
    // each with a file number, removed one by one or many at once and
    // ticked in any order, read back as a plain list would.
    void store_mixedStretches_matchAPlainList()
    {
        QRandomGenerator random(11);
        for (int round = 0; round < 40; ++round) {
            std::vector<RowStore::SharedTexts> sources(3);
            for (int k = 0; k < 3; ++k) {
                sources[k] = std::make_shared<RowTexts>();
                for (int i = 0; i < 300; ++i)
                    sources[k]->append(
                        QString(u"s"_s + QString::number(k) + u'-' + QString::number(i)));
            }
            RowStore store;
            QStringList texts;
            QList<bool> checks;
            QList<qint32> files;
            for (int step = 0; step < 200; ++step) {
                const int what = random.bounded(12);
                // Files change now and then, and may come back.
                const qint32 file = qint32(step / 7 % 5) - 1;
                if (what < 3) {
                    const QString text = u"own "_s + QString::number(step);
                    const bool checked = random.bounded(2);
                    store.append(text, checked, file);
                    texts << text;
                    checks << checked;
                    files << file;
                } else if (what < 7) {
                    const int k = random.bounded(3);
                    const int from = random.bounded(290);
                    const int to = from + random.bounded(0, 150);
                    const int end = std::min(to, 300);
                    const bool checked = random.bounded(2);
                    store.appendRowsOf(sources[k], from, end, checked, file);
                    for (int i = from; i < end; ++i) {
                        texts << sources[k]->text(i);
                        checks << checked;
                        files << file;
                    }
                } else if (what < 9 && !texts.isEmpty()) {
                    const int row = random.bounded(int(texts.size()));
                    store.remove(row);
                    texts.removeAt(row);
                    checks.removeAt(row);
                    files.removeAt(row);
                } else if (what == 9) {
                    std::vector<std::uint64_t> marked((std::size_t(texts.size()) + 63) / 64);
                    for (qsizetype row = texts.size() - 1; row >= 0; --row) {
                        if (random.bounded(4) != 0)
                            continue;
                        marked[std::size_t(row) / 64] |= std::uint64_t(1) << (row % 64);
                        texts.removeAt(row);
                        checks.removeAt(row);
                        files.removeAt(row);
                    }
                    store.removeMarked(marked);
                } else if (what == 10) {
                    const bool checked = random.bounded(2);
                    store.setAllChecked(checked);
                    checks.fill(checked);
                } else if (!texts.isEmpty()) {
                    const int row = random.bounded(int(texts.size()));
                    checks[row] = !checks[row];
                    store.setChecked(row, checks[row]);
                }
            }
            QCOMPARE(store.size(), texts.size());
            for (qsizetype i = 0; i < texts.size(); ++i) {
                QCOMPARE(store.text(i), texts.at(i));
                QCOMPARE(store.utf8(i), texts.at(i).toUtf8());
                QCOMPARE(store.isChecked(i), checks.at(i));
                QCOMPARE(store.file(i), files.at(i));
            }
        }
    }

    void store_countsSharedBlocksOnce_andKeepsTakenRowsAlive()
    {
        // Two lists written in turns in one block, as files cut ahead are.
        auto first = std::make_shared<RowTexts>();
        first->append(u"first"_s);
        auto second = std::make_shared<RowTexts>();
        second->continueIn(first->writingBlock());
        second->append(u"second"_s);
        RowStore store;
        store.appendRowsOf(first, 0, 1, true);
        store.appendRowsOf(second, 0, 1, false);
        QVERIFY(store.bytesHeld() < std::size_t(RowTexts::BlockBytes) + 16384);
        first.reset();
        second.reset();
        QCOMPARE(store.text(0), u"first"_s);
        QCOMPARE(store.text(1), u"second"_s);
        QVERIFY(store.isChecked(0));
        QVERIFY(!store.isChecked(1));
    }

    void store_twoMillionRows_fitTheMemoryBound()
    {
        constexpr qsizetype Rows = 2'000'000;
        RowStore store;
        qsizetype units = 0;
        QString text;
        for (qsizetype i = 0; i < Rows; ++i) {
            text = u"Row number "_s + QString::number(i);
            units += text.size();
            store.append(text, true);
        }
        const std::size_t textBytes = std::size_t(units) * sizeof(char16_t);
        QVERIFY2(store.bytesHeld() <= 2 * textBytes + 32 * std::size_t(Rows),
                 qPrintable(QString::number(store.bytesHeld())));
        QCOMPARE(store.text(Rows - 1), u"Row number 1999999"_s);
        store.clear();
        QCOMPARE(store.size(), 0);
        QVERIFY(store.bytesHeld() < 4096); // the texts are given back
    }

    void appends_reachTheViewsOnlyAtFlush_inOneBatch()
    {
        ResultsModel model;
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.append(u"one"_s);
        model.append(u"two"_s);
        model.append(u"three"_s);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(inserted.size(), 0);
        model.flushRows();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), 2);
        model.flushRows();
        QCOMPARE(inserted.size(), 1);
        model.append(u"four"_s);
        model.flushRows();
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 3);
        QCOMPARE(model.rowText(3), u"four"_s);
    }

    void clear_dropsShownAndPendingRows()
    {
        ResultsModel model;
        model.append(u"shown"_s);
        model.flushRows();
        model.append(u"pending"_s);
        model.clearRows();
        QCOMPARE(model.rowCount(), 0);
        model.append(u"after"_s);
        model.flushRows();
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowText(0), u"after"_s);
    }

    void clear_givesTheMemoryBackInSteps_andNewRowsAreSafe()
    {
        // Rows of 100,000 bytes fill ten blocks of 2 MB.
        ResultsModel model;
        const QString long1(100'000, u'x');
        for (int i = 0; i < 200; ++i)
            model.append(long1);
        model.flushRows();
        const std::size_t held = model.bytesHeld();
        model.clearRows();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.bytesHeld() < 4096);
        const std::size_t retired = model.retiredBytes();
        QVERIFY(retired >= held - 4096);

        // New rows go into new buffers, whatever is still being released.
        model.append(u"after"_s);
        model.flushRows();
        for (int turn = 0; turn < 100 && model.retiredBytes() == retired; ++turn)
            QCoreApplication::processEvents();
        const std::size_t left = model.retiredBytes();
        QVERIFY2(left > 0 && left < retired, qPrintable(QString::number(left)));
        QTRY_COMPARE(model.retiredBytes(), std::size_t(0));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowText(0), u"after"_s);

        // A second clear while the first one's buffers are still out.
        for (int i = 0; i < 30; ++i)
            model.append(long1);
        model.clearRows();
        model.append(u"x"_s);
        model.clearRows();
        QTRY_COMPARE(model.retiredBytes(), std::size_t(0));
        QCOMPARE(model.rowCount(), 0);
    }

    void newRows_areChecked_andTheUserCanUntickThem()
    {
        ResultsModel model;
        model.append(u"a"_s);
        model.append(u"b"_s);
        model.flushRows();
        const QModelIndex second = model.index(1);
        QVERIFY(model.flags(second) & Qt::ItemIsUserCheckable);
        QCOMPARE(model.data(second, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
        QVERIFY(model.setData(second, Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(!model.isChecked(1));
        QVERIFY(model.isChecked(0));
        QVERIFY(!model.setData(second, u"edited"_s, Qt::EditRole));
        QCOMPARE(model.rowText(1), u"b"_s);
    }

    void removeRow_movesLaterRowsUp_andKeepsDuplicates()
    {
        ResultsModel model;
        for (const QString &text : {u"same"_s, u"other"_s, u"same"_s})
            model.append(text);
        model.flushRows();
        model.setData(model.index(2), Qt::Unchecked, Qt::CheckStateRole);
        model.removeRowAt(0);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.rowText(0), u"other"_s);
        QCOMPARE(model.rowText(1), u"same"_s);
        QVERIFY(!model.isChecked(1));
        model.removeRowAt(5);
        QCOMPARE(model.rowCount(), 2);
    }

    void display_showsLineEndsAsMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString mark = QString(LineEndMark);
        QTest::newRow("CR LF") << u"one\r\ntwo"_s << u"one"_s + mark + u"two"_s;
        QTest::newRow("lone CR") << u"one\rtwo"_s << u"one"_s + mark + u"two"_s;
        QTest::newRow("lone LF") << u"one\ntwo"_s << u"one"_s + mark + u"two"_s;
        QTest::newRow("empty line") << u"a\r\n\r\nb"_s << u"a"_s + mark + mark + u"b"_s;
        QTest::newRow("LF CR is two") << u"a\n\rb"_s << u"a"_s + mark + mark + u"b"_s;
        QTest::newRow("single line") << u"plain text"_s << u"plain text"_s;
    }
    void display_showsLineEndsAsMarks()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        ResultsModel model;
        model.append(text);
        model.flushRows();
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), shown);
        QCOMPARE(model.data(model.index(0), Qt::ToolTipRole).toString(), text);
        QCOMPARE(model.rowText(0), text);
    }

    void display_cutsVeryLongRows()
    {
        const QString text(ResultsModel::DisplayLimit + 10, u'x');
        ResultsModel model;
        model.append(text);
        model.flushRows();
        const QString shown = model.data(model.index(0), Qt::DisplayRole).toString();
        QCOMPARE(shown.size(), ResultsModel::DisplayLimit + 1);
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QCOMPARE(model.rowText(0).size(), text.size());
    }

    // Only the start of a row is decoded for the display and the tooltip:
    // what they show is what the whole text would give, at every length
    // near the limits and for characters of one to four bytes.
    void display_decodesOnlyWhatItShows()
    {
        const QString kinds[] = {u"x"_s, u"\u00E9"_s, u"\u20AC"_s, u"\U0001F600"_s, u"\r\n"_s};
        for (const QString &kind : kinds) {
            for (qsizetype limit : {ResultsModel::DisplayLimit, ResultsModel::TooltipLimit}) {
                for (qsizetype units = limit - 2; units <= limit + 2; ++units) {
                    QString text = QString(u'a').repeated(units % kind.size());
                    text += kind.repeated(units / kind.size());
                    ResultsModel model;
                    model.append(text);
                    model.flushRows();
                    const QModelIndex row = model.index(0);
                    QCOMPARE(model.data(row, Qt::DisplayRole).toString(),
                             singleLineText(text, ResultsModel::DisplayLimit));
                    QCOMPARE(model.data(row, Qt::ToolTipRole).toString(),
                             tooltipText(text, ResultsModel::TooltipLimit));
                }
            }
        }
    }

    // The find box's test, against Qt's case-insensitive search of the
    // decoded text.
    void finder_matchesAsQtsCaseInsensitiveSearch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("match");
        QTest::newRow("ASCII, any case") << u"PassWord"_s << u"my password!"_s << true;
        QTest::newRow("ASCII, absent") << u"passwords"_s << u"my password"_s << false;
        QTest::newRow("one letter") << u"Q"_s << u"quill"_s << true;
        QTest::newRow("at the end") << u"end"_s << u"the END"_s << true;
        QTest::newRow("longer than the row") << u"longer"_s << u"long"_s << false;
        QTest::newRow("accented, folded") << u"ÉLODIE"_s << u"dear élodie"_s << true;
        QTest::newRow("Greek") << u"ΣΟΦΊΑ"_s << u"σοφία"_s << true;
        QTest::newRow("Kelvin sign in the row") << u"5 k"_s << u"5 K"_s << true;
        QTest::newRow("ASCII text, row beyond ASCII, no match") << u"cafe"_s << u"café"_s << false;
        QTest::newRow("astral") << u"😀"_s << u"a 😀 b"_s << true;
        QTest::newRow("empty finds all") << QString() << u"anything"_s << true;
    }
    void finder_matchesAsQtsCaseInsensitiveSearch()
    {
        QFETCH(QString, text);
        QFETCH(QString, row);
        QFETCH(bool, match);
        QCOMPARE(row.contains(text, Qt::CaseInsensitive), match); // the reference
        QCOMPARE(RowFinder(text).matches(row.toUtf8()), match);
    }

    // Duplicates go whatever their hash neighbours; the first of each text
    // stays with its file and check mark.
    void removeDuplicateRows_keepsTheFirstOfEachText()
    {
        ResultsModel model;
        QRandomGenerator random(5);
        QStringList kept;
        QList<int> files;
        QStringList seen;
        for (int i = 0; i < 3000; ++i) {
            if (i % 100 == 0)
                model.beginFile(u"/f/"_s + QString::number(i / 100));
            const QString text = u"t"_s + QString::number(random.bounded(700));
            model.append(text);
            if (!seen.contains(text)) {
                seen << text;
                files << i / 100;
            }
        }
        model.flushRows();
        model.setData(model.index(0), Qt::Unchecked, Qt::CheckStateRole);
        const int before = model.rowCount();
        const int removed = model.removeDuplicateRows();
        QCOMPARE(removed, before - int(seen.size()));
        QCOMPARE(model.rowCount(), int(seen.size()));
        for (int i = 0; i < model.rowCount(); ++i) {
            QCOMPARE(model.rowText(i), seen.at(i));
            QCOMPARE(model.filePathOf(i), u"/f/"_s + QString::number(files.at(i)));
            QCOMPARE(model.isChecked(i), i != 0);
        }
        QCOMPARE(model.removeDuplicateRows(), 0);
    }

    // "Clear List" pressed while a run hands one file's rows: the rows of
    // that file that come after it still name it, in both ways of adding.
    void clearRows_midFile_laterRowsKeepTheirFile()
    {
        ResultsModel model;
        model.beginFile(u"/f/a.txt"_s);
        model.append(u"one"_s);
        model.beginFile(u"/f/b.txt"_s);
        model.append(u"two"_s);
        model.flushRows();
        model.clearRows();
        model.append(u"three"_s);
        auto texts = std::make_shared<RowTexts>();
        texts->append(u"four"_s);
        model.appendRows(texts, 0, 1);
        model.beginFile(u"/f/c.txt"_s);
        model.append(u"five"_s);
        model.flushRows();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.filePathOf(0), u"/f/b.txt"_s);
        QCOMPARE(model.filePathOf(1), u"/f/b.txt"_s);
        QCOMPARE(model.filePathOf(2), u"/f/c.txt"_s);
    }

    void header_isTheTextColumnThenFile()
    {
        ResultsModel model;
        QCOMPARE(static_cast<QAbstractItemModel &>(model).columnCount(), 2);
        QVERIFY(model.setHeaderData(0, Qt::Horizontal, u"Results"_s, Qt::DisplayRole));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Results"_s);
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"File"_s);
        QVERIFY(!model.setHeaderData(1, Qt::Horizontal, u"More"_s, Qt::DisplayRole));
    }
};

QTEST_GUILESS_MAIN(ResultsModelTest)
#include "tst_resultsmodel.moc"

#include "windows/main/ListViewControl.h"
#include "windows/main/VisibleTextDelegate.h"

#include <QImage>
#include <QStringListModel>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// Long rows of many kinds of characters: wide and narrow, combining and
// zero-width, pairs, right-to-left runs, tabs.
QStringList longRows()
{
    const QString kinds[] = {u"word "_s,
                             u"caf\u00E9 na\u00EFve "_s,
                             u"\u6F22\u5B57\u304B\u306A "_s,
                             u"\U0001F600\U0001F44D "_s,
                             u"e\u0301\u200B"_s,
                             u"\u05E9\u05DC\u05D5\u05DD abc "_s,
                             u"iiii\t"_s};
    QStringList rows;
    for (const QString &kind : kinds)
        rows << kind.repeated(2000 / kind.size());
    rows << u"\u200B"_s.repeated(1500) + u"visible after nothing"_s;
    rows << u"short"_s;
    return rows;
}

} // namespace

class VisibleTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The list looks exactly as with the standard delegate, which lays out
    // every character.
    void rows_lookAsWithTheWholeText()
    {
        QStringListModel model(longRows());
        ListViewControl list;
        list.setModel(&model);
        list.resize(700, 300);
        for (int width : {60, 333, 900}) {
            list.setColumnWidth(width);
            list.setItemDelegate(new VisibleTextDelegate(&list));
            const QImage cut = list.grab().toImage();
            list.setItemDelegate(new QStyledItemDelegate(&list));
            const QImage whole = list.grab().toImage();
            QCOMPARE(cut, whole);
        }
    }

    void visibleStart_runsPastTheWidth_orIsTheWholeText()
    {
        const QFontMetrics metrics(QFont{});
        for (const QString &text : longRows()) {
            for (int width : {0, 50, 400, 5000}) {
                const QString start = VisibleTextDelegate::visibleStart(text, metrics, width);
                QVERIFY(text.startsWith(start));
                QVERIFY(start == text || metrics.horizontalAdvance(start) > width);
                QVERIFY(start.isEmpty() || !start.back().isHighSurrogate());
            }
        }
    }
};

QTEST_MAIN(VisibleTextTest)
#include "tst_visibletext.moc"

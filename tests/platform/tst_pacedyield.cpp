#include "platform/PacedYield.h"

#include <QTest>

using namespace Quillfen;

namespace {

class CountingLoop final : public EventLoop
{
public:
    void yield() override { ++yields; }
    int yields = 0;
};

// The calls of dueAmongMany, numbered from 1, that return true while the
// interval is always over: exactly those that read the clock.
QList<int> clockReads(PacedYield &pacer, int calls)
{
    QList<int> reads;
    for (int call = 1; call <= calls; ++call) {
        if (pacer.dueAmongMany())
            reads << call;
    }
    return reads;
}

} // namespace

class PacedYieldTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dueAmongMany_readsTheClockEveryCallsPerClock()
    {
        CountingLoop loop;
        PacedYield pacer(&loop, std::chrono::milliseconds(1));
        QTest::qSleep(3);
        const int n = int(PacedYield::CallsPerClock);
        QCOMPARE(clockReads(pacer, 3 * n), (QList<int>{n, 2 * n, 3 * n}));
    }

    // Items handed over many at once, as far as manyWithoutClock allows,
    // meet the clock at the same item as one at a time.
    void skippingMany_meetsTheClockAtTheSameItem()
    {
        CountingLoop loop;
        PacedYield one(&loop, std::chrono::milliseconds(1));
        PacedYield many(&loop, std::chrono::milliseconds(1));
        QTest::qSleep(3);
        QList<int> oneByOne;
        QList<int> inRuns;
        const int items = 5 * int(PacedYield::CallsPerClock) + 7;
        for (int item = 0; item < items; ++item) {
            if (one.dueAmongMany())
                oneByOne << item;
        }
        for (int item = 0; item < items; ++item) {
            if (many.dueAmongMany())
                inRuns << item;
            const int more = std::min(int(many.manyWithoutClock()), items - item - 1);
            many.skipMany(quint32(more));
            item += more;
        }
        QCOMPARE(inRuns, oneByOne);
        QCOMPARE(oneByOne.size(), 5);
    }

    void zeroInterval_isDueAtEveryCall_andNoLoopNever()
    {
        CountingLoop loop;
        PacedYield every(&loop, std::chrono::milliseconds(0));
        QCOMPARE(clockReads(every, 5), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(every.manyWithoutClock(), 0u);
        PacedYield none(nullptr, std::chrono::milliseconds(0));
        QVERIFY(clockReads(none, 5).isEmpty());
        none.point();
        every.point();
        QCOMPARE(loop.yields, 1);
    }
};

QTEST_GUILESS_MAIN(PacedYieldTest)
#include "tst_pacedyield.moc"

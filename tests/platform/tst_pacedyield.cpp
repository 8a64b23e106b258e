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

} // namespace

class PacedYieldTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void zeroInterval_isDueAtEveryCall_andNoLoopNever()
    {
        CountingLoop loop;
        PacedYield every(&loop, std::chrono::milliseconds(0));
        QVERIFY(every.due());
        PacedYield none(nullptr, std::chrono::milliseconds(0));
        QVERIFY(!none.due());
        none.point();
        every.point();
        QCOMPARE(loop.yields, 1);
    }
};

QTEST_GUILESS_MAIN(PacedYieldTest)
#include "tst_pacedyield.moc"

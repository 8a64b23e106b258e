#include "extract/RowTexts.h"
#include "extract/Utf8LineFilter.h"

#include <QRandomGenerator>
#include <QTest>
#include <sys/mman.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// Units from every range that encodes differently: ASCII, two and three
// bytes, pairs, and surrogates on their own (high, low, reversed pairs).
QString randomUnits(QRandomGenerator &random, qsizetype length)
{
    static const char16_t kinds[][2] = {{0x20, 0x7E},     {0x80, 0x7FF},    {0x800, 0xD7FF},
                                        {0xD800, 0xDBFF}, {0xDC00, 0xDFFF}, {0xE000, 0xFFFF}};
    QString text;
    for (qsizetype i = 0; i < length; ++i) {
        const auto &kind = kinds[random.bounded(6)];
        text += QChar(char16_t(random.bounded(int(kind[0]), int(kind[1]) + 1)));
    }
    return text;
}

// Pages of [bytes, bytes + length) the system holds in memory.
qsizetype residentPages(const char *bytes, qsizetype length)
{
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> flags((std::size_t(length) + page - 1) / page);
    if (mincore(const_cast<char *>(bytes), std::size_t(length), flags.data()) != 0)
        qFatal("mincore failed");
    return std::count_if(flags.begin(), flags.end(), [](unsigned char f) { return f & 1; });
}

bool systemPopulatesOnAdvice()
{
    const std::size_t bytes = std::size_t(sysconf(_SC_PAGESIZE));
    void *probe = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    const bool populates = probe != MAP_FAILED && madvise(probe, bytes, MADV_POPULATE_WRITE) == 0;
    if (probe != MAP_FAILED)
        munmap(probe, bytes);
    return populates;
}

} // namespace

class RowTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anyUtf16Text_comesBackUnchanged()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            const QString text = randomUnits(random, random.bounded(0, round % 50 == 0 ? 300 : 30));
            RowTexts texts;
            texts.append(u"before"_s);
            texts.append(text);
            QCOMPARE(texts.text(1), text);
            QCOMPARE(texts.utf16Length(1), text.size());
            const qsizetype count = random.bounded(0, int(text.size()) + 2);
            QCOMPARE(texts.textStart(1, count), text.left(count));
            QCOMPARE(texts.keepsSurrogates(), holdsUnpairedSurrogate(text));
            if (!texts.keepsSurrogates())
                QCOMPARE(texts.utf8(1), text.toUtf8());
            QCOMPARE(texts.text(0), u"before"_s);
        }
    }

    // A block is filled by rows cut on workers beside the window: its pages
    // are taken from the system a stretch at a time ahead of the rows, not
    // one fault at a time while they are written, and a small list holds
    // only the first stretch.
    void blocks_takeTheirPagesAhead_aStretchAtATime()
    {
        if (!systemPopulatesOnAdvice())
            QSKIP("this system does not fill memory in advance on request");
        const qsizetype page = qsizetype(sysconf(_SC_PAGESIZE));
        auto pagesOf = [&](qsizetype bytes) { return (bytes + page - 1) / page; };
        RowTexts texts;
        texts.append(u"one row"_s);
        const RowTexts::SharedBlock block = texts.writingBlock();
        const qsizetype firstStretch = block->ready();
        QVERIFY(firstStretch > 0 && firstStretch < block->capacity());
        QCOMPARE(residentPages(block->bytes(), block->capacity()), pagesOf(firstStretch));

        const QByteArray row(1000, 'r');
        qsizetype rows = 1;
        while (block->used <= firstStretch) {
            texts.appendUtf8(row);
            ++rows;
        }
        QCOMPARE(texts.writingBlock(), block);
        QVERIFY(block->ready() > block->used);
        QCOMPARE(residentPages(block->bytes(), block->capacity()), pagesOf(block->ready()));
        QCOMPARE(texts.size(), rows);
        QCOMPARE(texts.text(0), u"one row"_s);
        QCOMPARE(texts.utf8(rows - 1), QByteArrayView(row));
    }

    void longRows_takeBlocksOfTheirOwn_andStayWhole()
    {
        RowTexts texts;
        const QString wide(RowTexts::BlockBytes, QChar(0x20AC)); // three bytes each
        const QByteArray bytes(RowTexts::BlockBytes + 5, 'b');
        texts.append(u"a"_s);
        texts.append(wide);
        texts.appendUtf8(bytes);
        texts.append(u"c"_s);
        QCOMPARE(texts.size(), 4);
        QCOMPARE(texts.text(0), u"a"_s);
        QCOMPARE(texts.text(1), wide);
        QCOMPARE(texts.utf8(2), bytes);
        QCOMPARE(texts.text(3), u"c"_s);
        QCOMPARE(texts.textStart(1, 3), wide.left(3));
        // Held: the long rows' own bytes and a block for each short one.
        const std::size_t rowBytes = 3 * std::size_t(wide.size()) + std::size_t(bytes.size());
        QVERIFY(texts.bytesHeld() < rowBytes + 2 * RowTexts::BlockBytes + 4096);
    }

    void rowsTakenFromAnother_outliveIt_andAppendsNeverTouchItsBlocks()
    {
        RowTexts taken;
        QStringList expected;
        {
            auto source = std::make_unique<RowTexts>();
            for (int i = 0; i < 50; ++i)
                source->append(QString(u"source row "_s + QString::number(i)));
            source->appendUtf8("utf-8 row \xC3\xA9");
            taken.append(u"own first"_s);
            expected << u"own first"_s;
            taken.appendRowsOf(*source, 10, 20);
            for (int i = 10; i < 20; ++i)
                expected << u"source row "_s + QString::number(i);
            // Rows of its own after taken ones go to a block of its own.
            taken.append(u"own second"_s);
            expected << u"own second"_s;
            source->append(u"source goes on"_s);
            taken.appendRowsOf(*source, 49, 52);
            expected << u"source row 49"_s << u"utf-8 row \u00E9"_s << u"source goes on"_s;
            QCOMPARE(source->text(10), u"source row 10"_s);
        } // the source is gone; its blocks live on in taken
        QCOMPARE(taken.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(taken.text(i), expected.at(i));

        std::vector<RowTexts::SharedBlock> retired;
        taken.clear(retired);
        QCOMPARE(taken.size(), 0);
        QVERIFY(!retired.empty());
    }

    void listsGoingOnInOneBlock_keepEachOthersRows()
    {
        // A file's rows, then the next file's written in the room left after
        // them, while the first file's rows are read and taken.
        RowTexts first;
        first.append(u"first file"_s);
        RowTexts second;
        second.continueIn(first.writingBlock());
        QCOMPARE(second.writingBlock(), first.writingBlock());
        second.appendUtf8("second file");
        RowTexts list;
        list.appendRowsOf(first, 0, 1);
        list.appendRowsOf(second, 0, 1);
        QCOMPARE(list.text(0), u"first file"_s);
        QCOMPARE(list.text(1), u"second file"_s);
        QCOMPARE(first.text(0), u"first file"_s);

        // Two lists writing in turns in two blocks: the list that takes
        // their rows holds each block once.
        RowTexts other;
        other.append(u"other"_s);
        for (int i = 0; i < 10; ++i) {
            RowTexts &from = i % 2 ? second : other;
            from.append(u"more"_s);
            list.appendRowsOf(from, from.size() - 1, from.size());
        }
        QVERIFY(list.bytesHeld() < std::size_t(3 * RowTexts::BlockBytes));

        RowTexts fresh;
        fresh.continueIn(nullptr); // nothing to go on in: a block of its own
        fresh.append(u"x"_s);
        QVERIFY(fresh.writingBlock() != first.writingBlock());
    }
};

QTEST_GUILESS_MAIN(RowTextsTest)
#include "tst_rowtexts.moc"

#include "RunDoubles.h"
#include "TreeFixture.h"
#include "Utf8RowCollector.h"
#include "extract/BlockExtraction.h"
#include "extract/StreamingCut.h"
#include "platform/Failure.h"
#include "reading/documents/DocumentFormats.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// Texts made of the things a safe cut must respect: line ends of both
// kinds and lone CRs, periods, questions, blanks, letters of both cases
// whose folds matter, surrogate pairs, and the entries themselves.
class RandomTexts
{
public:
    explicit RandomTexts(quint32 seed) : m_random(seed) {}

    QString text(int parts)
    {
        static const QString pieces[] = {
            u"a"_s,   u"b"_s,   u"A"_s,    u"é"_s,   u"É"_s,    u"😀"_s,    u"."_s,      u"."_s,
            u"?"_s,   u" "_s,   u"\t"_s,   u"\r"_s,  u"\n"_s,   u"\r\n"_s, u"\r\n"_s,   u"\n\n"_s,
            u"Mr."_s, u"mR."_s, u"e.g."_s, u"É.b"_s, u"a.a."_s, u"😀."_s,   u"\uFDD0"_s, u"ab"_s,
        };
        QString out;
        for (int i = 0; i < parts; ++i)
            out += pieces[m_random.bounded(int(std::size(pieces)))];
        return out;
    }
    QStringList entries()
    {
        static const QString pool[] = {u"Mr."_s, u"e.g."_s, u"é.b"_s, u"a.a."_s, u"."_s,
                                       u"a"_s,   u"😀."_s,   u".."_s,  u""_s,     u"b. a"_s};
        QStringList out;
        for (int i = m_random.bounded(5); i > 0; --i)
            out << pool[m_random.bounded(int(std::size(pool)))];
        return out;
    }
    LineFilter filter()
    {
        return Testing::randomFilter(m_random, {u"a"_s, u"b"_s, u"A"_s, u"b. a"_s});
    }
    int bounded(int low, int high) { return int(m_random.bounded(low, high)); }

private:
    QRandomGenerator m_random;
};

QByteArray encoded(const QString &text, const QString &encoding)
{
    if (encoding == u"UTF-8"_s)
        return text.toUtf8();
    if (encoding == u"UTF-8 with mark"_s)
        return "\xEF\xBB\xBF" + text.toUtf8();
    if (encoding == u"Windows-1252"_s) // é and É as single bytes: not UTF-8
        return text.toLatin1();
    QByteArray bytes = encoding == u"UTF-16LE"_s ? "\xFF\xFE"_ba : "\xFE\xFF"_ba;
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        const bool big = encoding == u"UTF-16BE"_s;
        bytes.append(big ? high : low).append(big ? low : high);
    }
    return bytes;
}

} // namespace

class StreamingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parts_giveTheRowsOfTheWhole_data()
    {
        QTest::addColumn<ExtractMode>("mode");
        QTest::newRow("paragraphs") << ExtractMode::Paragraph;
        QTest::newRow("sentences") << ExtractMode::Sentence;
    }

    // Texts fed in parts of random sizes, most of them a unit or two, so
    // that part ends fall inside CR LF pairs, entries and surrogate pairs.
    void parts_giveTheRowsOfTheWhole()
    {
        QFETCH(ExtractMode, mode);
        RandomTexts random(mode == ExtractMode::Paragraph ? 11 : 12);
        qsizetype rowsBeforeTheEnd = 0;
        for (int round = 0; round < 3000; ++round) {
            const QString text = random.text(random.bounded(0, round % 10 == 0 ? 400 : 40));
            const QStringList entries = random.entries();
            const LineFilter filter = random.filter();
            const AbbreviationShield shield(entries);
            StringRows sink;
            StreamingCut cut(mode, shield, filter, sink);
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype size =
                    random.bounded(0, 4) == 0 ? random.bounded(1, 30) : random.bounded(1, 3);
                cut.feed(QStringView(text).sliced(at, std::min(size, text.size() - at)));
                at += size;
            }
            rowsBeforeTheEnd += sink.rows.size();
            cut.finish();
            const QStringList whole = extractRows(text, mode, entries, filter);
            if (sink.rows != whole) {
                qWarning() << "text" << text << "entries" << entries << "filter"
                           << describeFilter(filter);
                QCOMPARE(sink.rows, whole);
            }
        }
        // The parts were cut, not merely held until the end.
        QVERIFY(rowsBeforeTheEnd > 1000);
    }

    void waitingText_staysSmallWhenTheTextCanBeCut()
    {
        const AbbreviationShield shield(QStringList{u"Mr."_s});
        StringRows sink;
        StreamingCut cut(ExtractMode::Sentence, shield, {LineFilterKind::All, {}}, sink);
        for (int i = 0; i < 10000; ++i) {
            cut.feed(u"Ask Mr. Smith. "_s);
            QVERIFY(cut.waiting() < 40);
        }
        cut.finish();
        QCOMPARE(sink.rows.size(), 10000);
        QCOMPARE(sink.rows.first(), u"Ask Mr. Smith."_s);
    }

    void files_giveTheRowsOfTheWholeText_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("UTF-8") << u"UTF-8"_s;
        QTest::newRow("UTF-8 with mark") << u"UTF-8 with mark"_s;
        QTest::newRow("UTF-16LE") << u"UTF-16LE"_s;
        QTest::newRow("UTF-16BE") << u"UTF-16BE"_s;
        QTest::newRow("Windows-1252") << u"Windows-1252"_s;
    }

    // Whole files read in blocks of a few bytes: block ends fall inside
    // multi-byte characters and byte-order marks as well.
    void files_giveTheRowsOfTheWholeText()
    {
        QFETCH(QString, encoding);
        TreeFixture folder;
        const QString path = folder.path(u"text.txt"_s);
        RandomTexts random(qHash(encoding));
        for (int round = 0; round < 300; ++round) {
            QString text = random.text(random.bounded(0, 200));
            // Only what the code page holds, and enough French words after the
            // random pieces for the detector to name a Latin code page.
            if (encoding == u"Windows-1252"_s)
                text.remove(u"😀"_s).remove(u'\uFDD0').append(
                    u" Café crème, élégant à côté de l'été."_s);
            writeFile(path, encoded(text, encoding));

            const QStringList entries = random.entries();
            RunChoices choices{
                ExtractMode::Paragraph, AbbreviationShield(entries), random.filter(), {}};
            QCOMPARE(readDocumentText(path), text);
            // A forced encoding (--encoding) is the blocks' decoder too.
            if (random.bounded(0, 3) == 0)
                choices.reading.encoding = "ISO-8859-15";
            const QString whole = readDocumentText(path, choices.reading);
            for (const ExtractMode mode :
                 {ExtractMode::Paragraph, ExtractMode::Sentence, ExtractMode::SmartSentence}) {
                choices.mode = mode;
                StringRows sink;
                extractTextFileInBlocks(path, choices, sink, random.bounded(1, 9));
                QCOMPARE(sink.rows, extractRows(whole, mode, entries, choices.filter));
            }
        }
    }

    void unreadableFile_failsAsAWholeRead()
    {
        TreeFixture folder;
        const QString path = folder.path(u"missing.txt"_s);
        QString wholeFailure;
        try {
            readDocumentText(path);
        } catch (const Failure &failure) {
            wholeFailure = failure.description();
        }
        QVERIFY(!wholeFailure.isEmpty());
        StringRows sink;
        try {
            extractTextFileInBlocks(path, {}, sink);
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QCOMPARE(failure.description(), wholeFailure);
        }
    }
};

QTEST_GUILESS_MAIN(StreamingTest)
#include "tst_streaming.moc"

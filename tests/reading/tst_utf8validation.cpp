// The vectorised UTF-8 validator against the scalar one and against what
// each sequence is, placed at every offset of the 32-byte blocks, cut at
// every length, and in random texts. (On a processor without AVX2 both
// sides are the scalar validator.)

#include "reading/TextDecoding.h"
#include "reading/Utf8Decoding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Quillfen;

namespace {

struct Sequence
{
    QByteArray bytes;
    bool valid;
};

// The edges of each length and each kind of malformed sequence.
const QList<Sequence> &sequences()
{
    static const QList<Sequence> list{
        {"\x7F", true},
        {"\xC2\x80", true},         // U+0080
        {"\xDF\xBF", true},         // U+07FF
        {"\xE0\xA0\x80", true},     // U+0800
        {"\xED\x9F\xBF", true},     // U+D7FF
        {"\xEE\x80\x80", true},     // U+E000
        {"\xEF\xBF\xBF", true},     // U+FFFF
        {"\xF0\x90\x80\x80", true}, // U+10000
        {"\xF4\x8F\xBF\xBF", true}, // U+10FFFF
        {"\x80", false},            // a lone continuation
        {"\xBF", false},
        {"\xC0\x80", false}, // overlong
        {"\xC1\xBF", false},
        {"\xE0\x80\x80", false},
        {"\xE0\x9F\xBF", false},
        {"\xF0\x80\x80\x80", false},
        {"\xF0\x8F\xBF\xBF", false},
        {"\xED\xA0\x80", false}, // surrogates
        {"\xED\xBF\xBF", false},
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xF7\xBF\xBF\xBF", false},
        {"\xF8\x88\x80\x80\x80", false},
        {"\xFE", false},
        {"\xFF", false},
        {"\xC2\x80\x80", false}, // a continuation too many
        {"\xE2\x82\xAC\xBF", false},
        {"\xF0\x9F\x98\x80\x80", false},
        {"\xC2\xC2\x80", false}, // a lead where a continuation belongs
        {"\xE2\x41\xAC", false},
    };
    return list;
}

void compareAll(const QByteArray &bytes, bool expected)
{
    const QByteArray context = bytes.toHex(' ');
    QVERIFY2(Detail::isValidUtf8Scalar(bytes) == expected, context.constData());
    QVERIFY2(isValidUtf8(bytes) == expected, context.constData());
}

} // namespace

class Utf8ValidationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each sequence after 0 to 70 ASCII bytes and before 0 to 3 more: it
    // straddles every block edge and ends the input at every place.
    void sequencesAtEveryOffset()
    {
        for (const Sequence &sequence : sequences()) {
            for (int before = 0; before <= 70; ++before) {
                for (int after = 0; after <= 3; ++after)
                    compareAll(QByteArray(before, 'a') + sequence.bytes + QByteArray(after, 'z'),
                               sequence.valid);
                // After two-byte characters, which the scalar side takes a
                // block at a time.
                QByteArray wide;
                for (int i = 0; i < before; ++i)
                    wide += "\xC3\xA9";
                compareAll(wide + sequence.bytes, sequence.valid);
            }
        }
    }

    // Every valid character of two to four bytes cut short, at the end of
    // the input and before ASCII, at every offset.
    void everyTruncation()
    {
        for (const Sequence &sequence : sequences()) {
            if (!sequence.valid || sequence.bytes.size() < 2)
                continue;
            for (qsizetype cut = 1; cut < sequence.bytes.size(); ++cut) {
                const QByteArray part = sequence.bytes.first(cut);
                for (int before = 0; before <= 66; ++before) {
                    compareAll(QByteArray(before, 'a') + part, false);
                    compareAll(QByteArray(before, 'a') + part + "b", false);
                    compareAll(QByteArray(before, 'a') + part + sequence.bytes, false);
                }
            }
        }
    }

    // Texts of every length of random characters, a byte then changed,
    // dropped or added: the two validators agree on each.
    void randomTexts()
    {
        QRandomGenerator random(2611);
        const QByteArray pieces[] = {"abcd", "\xC3\xA9",     "\xE2\x82\xAC",     "\xF0\x9F\x98\x80",
                                     " ",    "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF", "\n"};
        int invalid = 0;
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes;
            const int count = round % 500 == 0 ? 2000 : random.bounded(40);
            for (int i = 0; i < count; ++i)
                bytes += pieces[random.bounded(int(std::size(pieces)))];
            if (!bytes.isEmpty() && round % 4 != 0) {
                const qsizetype at = random.bounded(bytes.size());
                switch (random.bounded(3)) {
                case 0:
                    bytes[at] = char(random.bounded(256));
                    break;
                case 1:
                    bytes.remove(at, 1);
                    break;
                default:
                    bytes.insert(at, char(0x80 + random.bounded(0x80)));
                    break;
                }
            }
            const bool expected = Detail::isValidUtf8Scalar(bytes);
            invalid += expected ? 0 : 1;
            QVERIFY2(isValidUtf8(bytes) == expected, bytes.toHex(' ').constData());
        }
        QVERIFY(invalid > 5000);
    }
};

QTEST_GUILESS_MAIN(Utf8ValidationTest)
#include "tst_utf8validation.moc"

#include "ZipFixture.h"
#include "platform/Failure.h"
#include "reading/documents/OfficeText.h"
#include "reading/documents/ZipContainer.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

constexpr qint64 MiB = 1 << 20;
// Small budgets, so that a bomb is a few megabytes here.
constexpr ZipBudget Small{MiB, 3 * MiB};

QByteArray noise(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 7;
    for (char &b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = char(state >> 24);
    }
    return bytes;
}

// The data of the archive's entry at index (0 first), as a range.
std::pair<qsizetype, qsizetype> entryData(const QByteArray &zip, int index)
{
    qsizetype at = zip.indexOf("PK\x03\x04");
    for (int i = 0; i < index; ++i)
        at = zip.indexOf("PK\x03\x04", at + 4);
    const auto *p = reinterpret_cast<const uchar *>(zip.constData() + at);
    const qsizetype size = p[18] | (p[19] << 8) | (p[20] << 16) | (p[21] << 24);
    return {at + 30 + (p[26] | (p[27] << 8)) + (p[28] | (p[29] << 8)), size};
}

QString failureOf(const std::function<void()> &read)
{
    try {
        read();
    } catch (const Failure &failure) {
        return failure.description();
    }
    return {};
}

} // namespace

class ZipContainerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What is inflated is bounded, whatever the headers or the archive's
    // size say, and the refusal says which budget.
    void budgets_data()
    {
        QTest::addColumn<QByteArray>("zip");
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QString>("failure"); // empty: all read

        const QByteArray zeros(2 * MiB, '\0');
        const QByteArray almost(MiB - 1000, 'x');
        QTest::newRow("an entry within budget")
            << zipOf({{"m", "x"}, {"a", almost}}) << QByteArrayList{"a"} << QString();
        QTest::newRow("an entry over its budget")
            << zipOf({{"m", "x"}, {"a", zeros}}) << QByteArrayList{"a"}
            << u"its part a unpacks to more than 1 MB (a zip bomb?)"_s;
        QTest::newRow("a padding entry never read lifts nothing")
            << zipOf({{"m", "x"}, {"pad", noise(8 * MiB)}, {"a", zeros}}) << QByteArrayList{"a"}
            << u"its part a unpacks to more than 1 MB (a zip bomb?)"_s;
        QTest::newRow("a header that says less than it holds")
            << withClaimedSizes(zipOf({{"m", "x"}, {"a", zeros}}), 100) << QByteArrayList{"a"}
            << u"its part a unpacks to more than 1 MB (a zip bomb?)"_s;
        QTest::newRow("a header that says more than the budget")
            << withClaimedSizes(zipOf({{"m", "x"}, {"a", "small"}}), 2 * MiB) << QByteArrayList{"a"}
            << u"its part a unpacks to more than 1 MB (a zip bomb?)"_s;
        QTest::newRow("parts over the document's budget together")
            << zipOf({{"m", "x"}, {"a", almost}, {"b", almost}, {"c", almost}, {"d", almost}})
            << QByteArrayList{"a", "b", "c", "d"}
            << u"its parts unpack to more than 3 MB together (a zip bomb?)"_s;
    }

    void budgets()
    {
        QFETCH(QByteArray, zip);
        QFETCH(QByteArrayList, reads);
        QFETCH(QString, failure);
        ZipContainer archive(zip, Small);
        const QString thrown = failureOf([&] {
            for (const QByteArray &name : reads)
                QVERIFY(archive.read(name).has_value());
        });
        QCOMPARE(thrown, failure);
        // A refusal comes no later than a chunk past the budget.
        QVERIFY2(archive.unpackedSoFar() <= Small.documentBytes + 64 * 1024,
                 qPrintable(QString::number(archive.unpackedSoFar())));
    }

    // A LibreOffice document with a big empty table compresses 182 to 1
    // and more: the ratio is no sign of a bomb.
    void highlyCompressedDocument_reads()
    {
        QByteArray rows;
        for (int i = 0; i < 20000; ++i)
            rows += "<table:table-row><table:table-cell/><table:table-cell/><table:table-cell/>"
                    "<table:table-cell/><table:table-cell/><table:table-cell/></table:table-row>";
        const QByteArray odt = odtOf("<text:p>Before the table.</text:p><table:table>" + rows +
                                     "</table:table><text:p>After it.</text:p>");
        QVERIFY2(rows.size() / odt.size() > 182,
                 qPrintable(QString::number(rows.size() / odt.size())));
        QCOMPARE(odtTextOfBytes(odt), u"Before the table.\r\n\r\nAfter it."_s);
    }

    // Damaged entries are told in words, with the entry's name.
    void damagedEntries_data()
    {
        QTest::addColumn<QByteArray>("zip");
        QTest::addColumn<QString>("failure");
        QByteArray text;
        for (int i = 0; i < 2000; ++i)
            text += "Words that compress well, line " + QByteArray::number(i) + ".\n";
        const QByteArray whole = zipOf({{"m", "x"}, {"a.xml", text}});

        QByteArray corrupt = whole;
        const auto [deflated, deflatedSize] = entryData(corrupt, 1);
        for (qsizetype i = deflated; i < deflated + deflatedSize; i += 7)
            corrupt[i] = char(corrupt[i] ^ 0x5a);
        QTest::newRow("corrupt deflate data")
            << corrupt << u"it is damaged: a.xml: its compressed data is corrupt"_s;

        QByteArray crc = zipOf({{"a.xml", text}}); // stored
        crc[entryData(crc, 0).first + 10] = '#';
        QTest::newRow("stored data changed")
            << crc << u"it is damaged: a.xml: its data does not match its checksum"_s;
    }

    void damagedEntries()
    {
        QFETCH(QByteArray, zip);
        QFETCH(QString, failure);
        ZipContainer archive(zip);
        QCOMPARE(failureOf([&] { archive.read("a.xml"); }), failure);
    }
};

QTEST_GUILESS_MAIN(ZipContainerTest)
#include "tst_zipcontainer.moc"

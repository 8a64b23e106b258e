#include "TreeFixture.h"
#include "platform/Failure.h"
#include "platform/FileReading.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QByteArray encoded(const QString &text, TextEncoding encoding)
{
    QByteArray bytes;
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        for (const QChar c : text) {
            const char16_t unit = c.unicode();
            const char low = char(unit & 0xFF);
            const char high = char(unit >> 8);
            encoding == TextEncoding::Utf16LE ? bytes.append(low).append(high)
                                              : bytes.append(high).append(low);
        }
        return bytes;
    }
    for (const char32_t c : text.toUcs4()) {
        char b[4] = {char(c & 0xFF), char((c >> 8) & 0xFF), char((c >> 16) & 0xFF), char(c >> 24)};
        if (encoding == TextEncoding::Utf32BE)
            std::reverse(std::begin(b), std::end(b));
        bytes.append(b, 4);
    }
    return bytes;
}

// CJK ideographs and "。" none of whose UTF-16 units holds a NUL byte.
QString eastAsianText(int units)
{
    QRandomGenerator random(27);
    QString text;
    while (text.size() < units) {
        const char16_t c =
            text.size() % 20 == 19 ? u'\u3002' : char16_t(random.bounded(0x4E00, 0xA000));
        if ((c & 0xFF) != 0)
            text.append(QChar(c));
    }
    return text;
}

QString nameOf(const TextDecision &decision)
{
    if (decision.kind == TextDecision::Kind::Binary)
        return u"binary"_s;
    if (decision.kind == TextDecision::Kind::Named)
        return u"legacy"_s;
    switch (decision.encoding) {
    case TextEncoding::Utf16LE:
        return u"UTF-16LE"_s;
    case TextEncoding::Utf16BE:
        return u"UTF-16BE"_s;
    case TextEncoding::Utf32LE:
        return u"UTF-32LE"_s;
    case TextEncoding::Utf32BE:
        return u"UTF-32BE"_s;
    case TextEncoding::Utf8:
        return u"UTF-8"_s;
    case TextEncoding::Windows1252:
        return u"Windows-1252"_s;
    }
    return QString();
}

} // namespace

class TextFileDecodingTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_folder;

private Q_SLOTS:
    void readsWholeFileAsOneText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("texts");

        QTest::newRow("0-byte file") << QByteArray() << QStringList{QString()};
        QTest::newRow("UTF-8 mark alone") << "\xEF\xBB\xBF"_ba << QStringList{QString()};
        QTest::newRow("UTF-8 without mark")
            << "D\xC3\xA9j\xC3\xA0 vu\r\n"_ba << QStringList{u"Déjà vu\r\n"_s};
        QTest::newRow("Windows-1252") << "Caf\xE9 \x93ok\x94"_ba << QStringList{u"Café “ok”"_s};
        QTest::newRow("UTF-16LE") << "\xFF\xFEH\0i\0"_ba << QStringList{u"Hi"_s};

        // Past the old 65,536-character chunks, still one text.
        QByteArray big = "\xFF\xFE"_ba;
        QString bigText;
        for (int i = 0; i < 70000; ++i) {
            const char letter = char('a' + i % 26);
            big.append(letter).append('\0');
            bigText.append(QChar::fromLatin1(letter));
        }
        QTest::newRow("70,000 UTF-16 characters") << big << QStringList{bigText};
    }
    void readsWholeFileAsOneText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, texts);
        const QString path = m_folder.write(u"file.txt"_s, bytes);
        QCOMPARE(QStringList{decodeTextOfFile(path, readWholeFile(path))}, texts);
        // The same again: no state between reads.
        QCOMPARE(QStringList{decodeTextOfFile(path, readWholeFile(path))}, texts);
    }

    // An encoding chosen for a run holds for the decisions given it only:
    // the next decision without one is told from the bytes again.
    void forcedEncoding_holdsForItsOwnCallsOnly()
    {
        const QByteArray bytes = "Caf\xE9 cr\xE8me"_ba;
        QCOMPARE(decodeTextOfFile(u"a.txt"_s, bytes, "ISO-8859-5"), u"Cafщ crшme"_s);
        QCOMPARE(decideTextDecoding(bytes, "ISO-8859-5").name, "ISO-8859-5"_ba);
        QCOMPARE(decodeTextOfFile(u"a.txt"_s, bytes), u"Café crème"_s);
        QVERIFY(decideTextDecoding(bytes.first(4), false, false).name.isEmpty());
        // A binary file stays refused whatever is forced.
        QCOMPARE(decideTextDecoding("a\0b"_ba, "ISO-8859-5").kind, TextDecision::Kind::Binary);
    }

    // Text without a mark: UTF-16 of either byte order and UTF-32 told
    // apart by the whole first block, not by the first reading that holds
    // together; text in other encodings is never taken for UTF-16.
    void unmarkedWideText_isToldApart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("decision");
        QTest::addColumn<QString>("text"); // the decoded text, when not empty

        auto row = [](const char *name, const QString &text, TextEncoding encoding,
                      const QString &decision) {
            QTest::newRow(name) << encoded(text, encoding) << decision << text;
        };
        const QString latin = u"Hello, world.\nCaf\u00e9 au lait.\n"_s;
        const QString cyrillic = u"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440"_s;
        const QString mixed = u"\u4e00\u4e8c\u4e09 one two three \u4e00\u5341"_s;
        row("UTF-16LE", latin, TextEncoding::Utf16LE, u"UTF-16LE"_s);
        row("UTF-16BE", latin, TextEncoding::Utf16BE, u"UTF-16BE"_s);
        row("UTF-16BE of two letters", u"Hi"_s, TextEncoding::Utf16BE, u"UTF-16BE"_s);
        row("UTF-16LE of 4 bytes", u"A\n"_s, TextEncoding::Utf16LE, u"UTF-16LE"_s);
        row("UTF-16LE Cyrillic", cyrillic, TextEncoding::Utf16LE, u"UTF-16LE"_s);
        row("UTF-16BE Cyrillic", cyrillic, TextEncoding::Utf16BE, u"UTF-16BE"_s);
        row("UTF-16LE ideographs ending in 00", mixed, TextEncoding::Utf16LE, u"UTF-16LE"_s);
        row("UTF-16BE ideographs ending in 00", mixed, TextEncoding::Utf16BE, u"UTF-16BE"_s);
        row("UTF-16LE emoji", u"\U0001F600 ok"_s, TextEncoding::Utf16LE, u"UTF-16LE"_s);
        row("UTF-32LE", latin, TextEncoding::Utf32LE, u"UTF-32LE"_s);
        row("UTF-32BE", latin, TextEncoding::Utf32BE, u"UTF-32BE"_s);
        row("UTF-32LE of emoji only", u"\U0001F600\U0001F601"_s, TextEncoding::Utf32LE,
            u"UTF-32LE"_s);
        row("UTF-32BE of one emoji", u"\U0001F600"_s, TextEncoding::Utf32BE, u"UTF-32BE"_s);
        const QString cjk = eastAsianText(12 * 1024);
        row("24 KB of CJK UTF-16LE, no NUL", cjk, TextEncoding::Utf16LE, u"UTF-16LE"_s);
        row("24 KB of CJK UTF-16BE, no NUL", cjk, TextEncoding::Utf16BE, u"UTF-16BE"_s);

        QTest::newRow("NUL bytes only") << QByteArray(64, '\0') << u"binary"_s << QString();
        QTest::newRow("a NUL character in UTF-16")
            << "A\0\0\0\0\0B\0"_ba << u"binary"_s << QString();
        const QString japanese =
            u"\u65e5\u672c\u8a9e\u306e\u6587\u7ae0\u3067\u3059\u3002\u6f22\u5b57\u3068"
            "\u304b\u306a\u3092\u4f7f\u3044\u307e\u3059\u3002\r\n"_s.repeated(4);
        QTest::newRow("Shift_JIS, CR LF")
            << QStringEncoder("Shift_JIS").encode(japanese).operator QByteArray() << u"not wide"_s
            << QString();
        const QString korean =
            u"\ud55c\uad6d\uc5b4\ub85c \uc4f4 \ubb38\uc7a5\uc785\ub2c8\ub2e4.\n"_s.repeated(4);
        QTest::newRow("EUC-KR") << QStringEncoder("EUC-KR").encode(korean).operator QByteArray()
                                << u"not wide"_s << QString();
        QTest::newRow("Windows-1252") << "Caf\xe9 cr\xe8me br\xfbl\xe9"
                                         "e, na\xefve fa\xe7"
                                         "ade, \x93"
                                         "d\xe9j\xe0 vu\x94."_ba.repeated(3)
                                      << u"Windows-1252"_s << QString();
    }
    void unmarkedWideText_isToldApart()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, decision);
        QFETCH(QString, text);
        const QString name = nameOf(decideTextDecoding(bytes));
        if (decision == u"not wide")
            QVERIFY2(!name.startsWith(u"UTF-"), qPrintable(name));
        else
            QCOMPARE(name, decision);
        if (!text.isEmpty())
            QCOMPARE(decodeTextOfFile(u"file.txt"_s, bytes), text);
        // The block path decides from the first block alone, alike.
        if (bytes.size() > BinarySampleBytes) {
            const TextDecision head =
                decideTextDecoding(bytes.first(BinarySampleBytes), false, false);
            QCOMPARE(nameOf(head), name);
        }
    }

    void unreadablePath_throwsFailure_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << u"missing.txt"_s;
        QTest::newRow("folder") << u"folder"_s;
    }
    void unreadablePath_throwsFailure()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_folder.root()).mkpath(u"folder"_s));
        const QString path = m_folder.path(name);
        try {
            decodeTextOfFile(path, readWholeFile(path));
            QFAIL("no failure thrown");
        } catch (const Failure &failure) {
            QVERIFY2(failure.description().contains(path), qPrintable(failure.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TextFileDecodingTest)
#include "tst_textfiledecoding.moc"

#include "ReferenceDecoders.h"
#include "reading/TextDecoding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(QByteArray(digits));
}

// The first position of a surrogate without its partner, or -1.
qsizetype unpairedSurrogateAt(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return i;
    }
    return -1;
}

QByteArray utf16Bytes(const QString &units, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar c : units) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

QByteArray randomBytes(QRandomGenerator &random, qsizetype length)
{
    // Mostly bytes that matter to the decoders: ASCII, continuation bytes,
    // every lead byte, the bytes that can never occur, and surrogate halves.
    static const uchar interesting[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                        0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED,
                                        0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xF8, 0xFE,
                                        0xFF, 0xD8, 0xDC, 0xDB, 0xDF, 0x10, 0x11, 0xBB};
    QByteArray bytes(length, Qt::Uninitialized);
    for (char &b : bytes) {
        const quint32 pick = random.bounded(4);
        if (pick == 0)
            b = char(random.bounded(256));
        else if (pick == 1)
            b = 'a';
        else
            b = char(interesting[random.bounded(int(std::size(interesting)))]);
    }
    return bytes;
}

QString randomScalarText(QRandomGenerator &random, qsizetype codePoints)
{
    QString text;
    for (qsizetype i = 0; i < codePoints; ++i) {
        char32_t value;
        switch (random.bounded(5)) {
        case 0:
            value = random.bounded(0x80);
            break;
        case 1:
            value = 0x80 + random.bounded(0x800 - 0x80);
            break;
        case 2:
            value = 0x800 + random.bounded(0x10000 - 0x800);
            break;
        case 3:
            value = 0x10000 + random.bounded(0x110000 - 0x10000);
            break;
        default: // a run of plain letters, to exercise the block-wise path
            text.append(QString(int(random.bounded(40)), QChar(u'x')));
            continue;
        }
        if (value >= 0xD800 && value <= 0xDFFF)
            value = 0xFFFD;
        ReferenceDecoders::appendCodePoint(text, value);
    }
    return text;
}

} // namespace

class TextDecodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void byteOrderMark_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding"); // -1: no mark
        QTest::addColumn<int>("length");

        const auto row = [](const char *name, const char *bytes, int encoding, int length) {
            QTest::newRow(name) << hex(bytes) << encoding << length;
        };
        const int none = -1;
        row("empty", "", none, 0);
        row("single FF", "FF", none, 0);
        row("UTF-32LE", "FF FE 00 00 41 00 00 00", int(TextEncoding::Utf32LE), 4);
        row("UTF-32LE mark alone", "FF FE 00 00", int(TextEncoding::Utf32LE), 4);
        row("UTF-32BE", "00 00 FE FF", int(TextEncoding::Utf32BE), 4);
        row("UTF-8", "EF BB BF 41", int(TextEncoding::Utf8), 3);
        row("UTF-8 before FF FE", "EF BB BF FF FE", int(TextEncoding::Utf8), 3);
        row("UTF-16LE", "FF FE 41 00", int(TextEncoding::Utf16LE), 2);
        row("UTF-16BE", "FE FF 00 41", int(TextEncoding::Utf16BE), 2);
        row("UTF-16BE then zeros is not UTF-32", "FE FF 00 00", int(TextEncoding::Utf16BE), 2);
        row("3 bytes FF FE 41", "FF FE 41", int(TextEncoding::Utf16LE), 2);
        row("3 bytes FF FE 00 too short for UTF-32", "FF FE 00", int(TextEncoding::Utf16LE), 2);
        row("3 bytes 00 00 FE", "00 00 FE", none, 0);
        row("UTF-8 mark cut short", "EF BB", none, 0);
        row("mark not at start", "41 FF FE", none, 0);
        row("reversed UTF-8 mark", "BF BB EF", none, 0);
    }
    void byteOrderMark()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(int, length);

        const auto mark = detectByteOrderMark(bytes);
        QCOMPARE(mark.has_value(), encoding >= 0);
        if (mark) {
            QCOMPARE(int(mark->encoding), encoding);
            QCOMPARE(mark->length, length);
        }
    }

    void decodeTextFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        const auto row = [](const char *name, const QByteArray &bytes, const QString &text) {
            QTest::newRow(name) << bytes << text;
        };
        row("empty", {}, QString());
        // Marks decide, and are not part of the text.
        row("UTF-8 mark alone", hex("EF BB BF"), QString());
        row("UTF-8 mark", hex("EF BB BF 43 61 66 C3 A9"), u"Café"_s);
        row("UTF-8 mark, second mark kept", hex("EF BB BF EF BB BF 41"), u"\uFEFFA"_s);
        row("UTF-8 mark, malformed is replaced", hex("EF BB BF 41 FF 42"), u"A\uFFFDB"_s);
        row("UTF-8 mark, truncated at end", hex("EF BB BF 41 E2 82"), u"A\uFFFD"_s);
        row("UTF-16LE mark alone", hex("FF FE"), QString());
        row("UTF-16LE", hex("FF FE 41 00 E9 00 3D D8 00 DE"), u"Aé\U0001F600"_s);
        row("UTF-16BE mark alone", hex("FE FF"), QString());
        row("UTF-16BE", hex("FE FF 00 41 00 E9 D8 3D DE 00"), u"Aé\U0001F600"_s);
        row("UTF-16LE mark, second mark kept", hex("FF FE FF FE 41 00"), u"\uFEFFA"_s);
        row("UTF-16BE, a high surrogate and an odd byte", hex("FE FF 00 41 D8 3D 00"),
            u"A\uFFFD"_s);
        row("UTF-16LE, odd last byte", hex("FF FE 41 00 42"), u"A\uFFFD"_s);
        row("UTF-16BE, odd last byte", hex("FE FF 00 41 00"), u"A\uFFFD"_s);
        row("3 bytes FF FE 41", hex("FF FE 41"), u"\uFFFD"_s);
        row("UTF-16LE with CR LF", hex("FF FE 41 00 0D 00 0A 00"), u"A\r\n"_s);
        row("UTF-32LE mark alone", hex("FF FE 00 00"), QString());
        row("UTF-32LE", hex("FF FE 00 00 41 00 00 00 00 F6 01 00"), u"A\U0001F600"_s);
        row("UTF-32BE mark alone", hex("00 00 FE FF"), QString());
        row("UTF-32BE", hex("00 00 FE FF 00 00 00 41 00 01 F6 00"), u"A\U0001F600"_s);
        row("UTF-32LE, trailing byte", hex("FF FE 00 00 41 00 00 00 42"), u"A\uFFFD"_s);
        // No mark: UTF-8 when valid.
        row("ASCII", "Hello,\r\nworld."_ba, u"Hello,\r\nworld."_s);
        row("NUL bytes are text", hex("41 00 42"), QString(u"A\0B"_s));
        row("UTF-8 accents", hex("C3 A9 74 C3 A9 20 C3 A0 20 C5 93"), u"été à œ"_s);
        row("UTF-8 emoji and CJK", hex("F0 9F 98 80 E4 B8 AD"), u"\U0001F600中"_s);
        row("UTF-8 encoded U+FEFF after text", hex("41 EF BB BF"), u"A\uFEFF"_s);
        // No mark, not valid UTF-8: Windows-1252, every byte one character.
        row("Windows-1252 café", "caf\xE9"_ba, u"café"_s);
        row("Windows-1252 range 80-9F",
            hex("80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F"
                "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F"),
            u"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"_s);
        row("Windows-1252 unassigned bytes", hex("81 8D 8F 90 9D"),
            u"\u0081\u008D\u008F\u0090\u009D"_s);
        row("Windows-1252 A0-FF as Latin-1", hex("A0 A9 BF C0 D7 DF E9 F7 FF"),
            u"\u00A0©¿À×ßé÷ÿ"_s);
        row("valid UTF-8 then a stray byte", hex("C3 A9 FF"), u"Ã©ÿ"_s);
        row("UTF-8 truncated at end, no mark", hex("61 62 63 E2 82"), u"abcâ‚"_s);
        row("UTF-8 encoded surrogate, no mark", hex("ED A0 80"), u"í\u00A0€"_s);
        row("FE FF 41 is UTF-16BE, odd byte", hex("FE FF 41"), u"\uFFFD"_s);
    }
    void decodeTextFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Quillfen::decodeTextFile(bytes), text);
    }

    void decodeUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        const auto row = [](const char *name, const char *bytes, const QString &text) {
            QTest::newRow(name) << hex(bytes) << text;
        };
        const QString r = u"\uFFFD"_s;
        row("boundaries: U+007F U+0080 U+07FF", "7F C2 80 DF BF", u"\u007F\u0080\u07FF"_s);
        row("boundaries: U+0800 U+D7FF U+E000", "E0 A0 80 ED 9F BF EE 80 80",
            u"\u0800\uD7FF\uE000"_s);
        row("boundaries: U+FFFF U+10000 U+10FFFF", "EF BF BF F0 90 80 80 F4 8F BF BF",
            u"\uFFFF\U00010000\U0010FFFF"_s);
        row("lone continuation byte", "80", r);
        row("two continuation bytes", "80 BF", r + r);
        row("C0 overlong", "C0 AF", r + r);
        row("C1 overlong", "C1 BF", r + r);
        row("E0 overlong", "E0 80 AF", r + r + r);
        row("F0 overlong, truncated", "F0 80 80", r + r + r);
        row("F0 overlong", "F0 80 80 AF", r + r + r + r);
        row("surrogate encoded", "ED A0 80", r + r + r);
        row("surrogate pair encoded", "ED A0 BD ED B8 80", r + r + r + r + r + r);
        row("past U+10FFFF", "F4 90 80 80", r + r + r + r);
        row("F5 lead", "F5 80 80 80", r + r + r + r);
        row("five-byte form", "F8 88 80 80 80", r + r + r + r + r);
        row("FE and FF", "FE FF", r + r);
        row("2-byte truncated at end", "61 C3", u"a"_s + r);
        row("3-byte truncated after 2", "E2 82", r);
        row("3-byte truncated after 1", "E2", r);
        row("4-byte truncated after 3", "F0 9F 98", r);
        row("4-byte truncated after 2", "F0 9F", r);
        row("truncated 3-byte then ASCII", "E2 82 41", r + u"A"_s);
        row("truncated 4-byte then ASCII", "F0 9F 98 41", r + u"A"_s);
        row("lead then ASCII", "E2 41", r + u"A"_s);
        row("lead then lead", "C3 C3 A9", r + u"é"_s);
        row("truncated 4-byte then 4-byte", "F0 9F F0 9F 98 80", r + u"\U0001F600"_s);
        row("E0 with too-low second byte", "E0 9F BF", r + r + r);
        row("ED with too-high second byte", "ED A0 41", r + r + u"A"_s);
        row("F4 with too-high second byte", "F4 90 41", r + r + u"A"_s);
        row("malformed inside long ASCII", "41414141414141414141414141414141 FF 4242424242424242",
            u"AAAAAAAAAAAAAAAA"_s + r + u"BBBBBBBB"_s);
        row("encoded U+FFFD is kept", "EF BF BD", r);
    }
    void decodeUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Quillfen::decodeUtf8(bytes), text);
        QCOMPARE(Quillfen::decodeUtf8(bytes), ReferenceDecoders::utf8(bytes).text);
        QCOMPARE(isValidUtf8(bytes), ReferenceDecoders::utf8(bytes).errors == 0);
    }

    void decodeUtf16_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // little-endian
        QTest::addColumn<QString>("text");

        const auto row = [](const char *name, const char *bytes, const QString &text) {
            QTest::newRow(name) << hex(bytes) << text;
        };
        const QString r = u"\uFFFD"_s;
        row("empty", "", QString());
        row("pair", "3D D8 00 DE", u"\U0001F600"_s);
        row("odd byte alone", "41", r);
        row("high surrogate at end", "41 00 3D D8", u"A"_s + r);
        row("high surrogate then letter", "3D D8 41 00", r + u"A"_s);
        row("low surrogate alone", "00 DE 41 00", r + u"A"_s);
        row("low before high", "00 DE 3D D8", r + r);
        row("two highs then low", "3D D8 3D D8 00 DE", r + u"\U0001F600"_s);
        row("high surrogate then odd byte is one error", "3D D8 41", r);
        row("letter then odd byte", "41 00 42", u"A"_s + r);
        row("noncharacters pass", "FE FF FF FF", u"\uFFFE\uFFFF"_s);
    }
    void decodeUtf16()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Quillfen::decodeUtf16(bytes, false), text);
        QCOMPARE(decode(bytes, TextEncoding::Utf16LE), text);

        // The same units big-endian: swap each pair, leave an odd last byte.
        QByteArray swapped = bytes;
        for (qsizetype i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        QCOMPARE(Quillfen::decodeUtf16(swapped, true), text);
        QCOMPARE(decode(swapped, TextEncoding::Utf16BE), text);
    }

    void decodeUtf32_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // little-endian
        QTest::addColumn<QString>("text");

        const auto row = [](const char *name, const char *bytes, const QString &text) {
            QTest::newRow(name) << hex(bytes) << text;
        };
        const QString r = u"\uFFFD"_s;
        row("empty", "", QString());
        row("BMP and astral", "41 00 00 00 00 F6 01 00 FF FF 10 00", u"A\U0001F600\U0010FFFF"_s);
        row("edges of the surrogate range", "FF D7 00 00 00 E0 00 00", u"\uD7FF\uE000"_s);
        row("high surrogate value", "00 D8 00 00", r);
        row("low surrogate value", "FF DF 00 00", r);
        row("surrogate pair as two values", "3D D8 00 00 00 DE 00 00", r + r);
        row("past U+10FFFF", "00 00 11 00 41 00 00 00", r + u"A"_s);
        row("largest value", "FF FF FF FF", r);
        row("1 trailing byte", "41 00 00 00 42", u"A"_s + r);
        row("2 trailing bytes", "41 00 00 00 42 00", u"A"_s + r);
        row("3 trailing bytes", "41 00 00 00 42 00 00", u"A"_s + r);
        row("only trailing bytes", "41 00 00", r);
    }
    void decodeUtf32()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Quillfen::decodeUtf32(bytes, false), text);
        QCOMPARE(decode(bytes, TextEncoding::Utf32LE), text);

        QByteArray swapped = bytes;
        for (qsizetype i = 0; i + 3 < swapped.size(); i += 4) {
            std::swap(swapped[i], swapped[i + 3]);
            std::swap(swapped[i + 1], swapped[i + 2]);
        }
        QCOMPARE(Quillfen::decodeUtf32(swapped, true), text);
        QCOMPARE(decode(swapped, TextEncoding::Utf32BE), text);
    }

    // The fast paths work in blocks; a non-ASCII character at every offset
    // of a run, near both ends, must come out in its place.
    void nonAsciiAtEveryOffset_data()
    {
        QTest::addColumn<QString>("character");
        QTest::newRow("2-byte") << u"é"_s;
        QTest::newRow("3-byte") << u"€"_s;
        QTest::newRow("4-byte") << u"\U0001F600"_s;
    }
    void nonAsciiAtEveryOffset()
    {
        QFETCH(QString, character);
        for (int length = 0; length <= 40; ++length) {
            for (int at = 0; at <= length; ++at) {
                QString text;
                for (int i = 0; i < length; ++i)
                    text.append(QChar(u'a' + i % 26));
                text.insert(at, character);
                const QByteArray utf8 = text.toUtf8();
                QCOMPARE(Quillfen::decodeUtf8(utf8), text);
                QCOMPARE(Quillfen::decodeTextFile(utf8), text);

                QByteArray malformed = utf8;
                malformed.insert(at, '\xFF');
                QString replaced = text;
                replaced.insert(at, QChar(0xFFFD));
                QCOMPARE(Quillfen::decodeUtf8(malformed), replaced);
            }
        }
    }

    void utf16SurrogatesAtEveryOffset_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("pair") << u"\U0001F600"_s << u"\U0001F600"_s;
        QTest::newRow("lone high") << QString(QChar(0xD83D)) << u"\uFFFD"_s;
        QTest::newRow("lone low") << QString(QChar(0xDE00)) << u"\uFFFD"_s;
        QTest::newRow("BMP beyond Latin") << u"\uF900"_s << u"\uF900"_s;
    }
    void utf16SurrogatesAtEveryOffset()
    {
        QFETCH(QString, units);
        QFETCH(QString, decoded);
        for (int length = 0; length <= 40; ++length) {
            for (int at = 0; at <= length; ++at) {
                QString input;
                for (int i = 0; i < length; ++i)
                    input.append(QChar(u'a' + i % 26));
                QString expected = input;
                input.insert(at, units);
                expected.insert(at, decoded);
                for (const bool bigEndian : {false, true})
                    QCOMPARE(Quillfen::decodeUtf16(utf16Bytes(input, bigEndian), bigEndian),
                             expected);
            }
        }
    }

    void windows1252AtEveryOffset()
    {
        for (int length = 0; length <= 40; ++length) {
            for (int at = 0; at <= length; ++at) {
                QByteArray bytes(length, 'q');
                bytes.insert(at, '\x80');
                QString text(length, QChar(u'q'));
                text.insert(at, u"€"_s);
                QCOMPARE(decodeWindows1252(bytes), text);
                QCOMPARE(decode(bytes, TextEncoding::Windows1252), text);
                QCOMPARE(Quillfen::decodeTextFile(bytes), text);
            }
        }
    }

    // Every byte outside 80..9F stands for the code point of its value, in
    // both the decoder and the conversion to UTF-8.
    void windows1252_otherBytesAreLatin1()
    {
        QByteArray bytes;
        QString text;
        for (int b = 0; b < 256; ++b) {
            if (b >= 0x80 && b <= 0x9F)
                continue;
            bytes.append(char(b));
            text.append(QChar(char16_t(b)));
        }
        QCOMPARE(decodeWindows1252(bytes), text);
        QByteArray utf8;
        windows1252ToUtf8(bytes, utf8);
        QCOMPARE(utf8, text.toUtf8());
    }

    void randomValidUtf8_matchesQt()
    {
        QRandomGenerator random(20240611);
        for (int round = 0; round < 300; ++round) {
            // A leading letter keeps an encoded U+FEFF from reading as a mark.
            const QString text = u"x"_s + randomScalarText(random, random.bounded(200));
            const QByteArray bytes = text.toUtf8();
            QVERIFY(isValidUtf8(bytes));
            QCOMPARE(Quillfen::decodeUtf8(bytes), QString::fromUtf8(bytes));
            QCOMPARE(Quillfen::decodeUtf8(bytes), text);
            QCOMPARE(Quillfen::decodeTextFile(bytes), text);
        }
    }

    // Long valid texts of mostly one- and two-byte characters, the blocks the
    // validator takes whole, with one byte changed, dropped or added.
    void nearlyValidUtf8_validatedAsReference()
    {
        QRandomGenerator random(31337);
        static const QString pieces[] = {u"abcdefgh"_s, u"é"_s, u"ß"_s, u"\u07FF"_s,
                                         u"\u0080"_s,   u" "_s, u"€"_s, u"😀"_s};
        int invalid = 0;
        for (int round = 0; round < 3000; ++round) {
            QString text;
            for (int i = random.bounded(60); i > 0; --i)
                text += pieces[random.bounded(random.bounded(2) == 0 ? 6 : 8)];
            QByteArray bytes = text.toUtf8();
            if (!bytes.isEmpty()) {
                const qsizetype at = random.bounded(bytes.size());
                switch (random.bounded(4)) {
                case 0:
                    bytes[at] = char(random.bounded(256));
                    break;
                case 1:
                    bytes.remove(at, 1);
                    break;
                case 2:
                    bytes.insert(at, char(0x80 + random.bounded(0x80)));
                    break;
                default:
                    break;
                }
            }
            const bool valid = ReferenceDecoders::utf8(bytes).errors == 0;
            invalid += valid ? 0 : 1;
            QVERIFY2(isValidUtf8(bytes) == valid, bytes.toHex(' ').constData());
        }
        QVERIFY(invalid > 1000);
    }

    void randomBytes_matchReferenceAndNeverPairBadly()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 4000; ++round) {
            const qsizetype length = round % 100 == 0 ? 5000 : random.bounded(48);
            const QByteArray bytes = randomBytes(random, length);
            const QByteArray context = bytes.left(64).toHex(' ');

            const auto reference = ReferenceDecoders::utf8(bytes);
            const QString utf8 = Quillfen::decodeUtf8(bytes);
            QCOMPARE(utf8, reference.text);
            QCOMPARE(isValidUtf8(bytes), reference.errors == 0);
            QVERIFY2(unpairedSurrogateAt(utf8) < 0, context.constData());

            for (const bool bigEndian : {false, true}) {
                const QString utf16 = Quillfen::decodeUtf16(bytes, bigEndian);
                QCOMPARE(utf16, ReferenceDecoders::utf16(bytes, bigEndian).text);
                QVERIFY2(unpairedSurrogateAt(utf16) < 0, context.constData());

                const QString utf32 = Quillfen::decodeUtf32(bytes, bigEndian);
                QCOMPARE(utf32, ReferenceDecoders::utf32(bytes, bigEndian).text);
                QVERIFY2(unpairedSurrogateAt(utf32) < 0, context.constData());
            }

            const QString file = Quillfen::decodeTextFile(bytes);
            QVERIFY2(unpairedSurrogateAt(file) < 0, context.constData());
            if (!detectByteOrderMark(bytes))
                QCOMPARE(file, reference.errors == 0 ? reference.text : decodeWindows1252(bytes));
        }
    }
};

QTEST_GUILESS_MAIN(TextDecodingTest)
#include "tst_textdecoding.moc"

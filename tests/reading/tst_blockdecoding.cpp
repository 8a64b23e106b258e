#include "reading/BlockDecoding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// Bytes that matter to the decoders, often enough to form every kind of
// sequence, truncated sequence and surrogate half.
QByteArray randomBytes(QRandomGenerator &random, qsizetype length)
{
    static const uchar interesting[] = {0x00, 0x0A, 0x0D, 0x41, 0x7F, 0x80, 0x8F, 0x90,
                                        0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
                                        0xE1, 0xED, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF,
                                        0xD8, 0xDB, 0xDC, 0xDF, 0x10, 0x11, 0xBB, 0xFE};
    QByteArray bytes(length, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(3) == 0 ? random.bounded(256)
                                        : interesting[random.bounded(int(std::size(interesting)))]);
    return bytes;
}

// Well-formed text in the encoding, so that long valid sequences meet the
// block ends too, with some random bytes mixed in.
QByteArray randomText(QRandomGenerator &random, TextEncoding encoding)
{
    static const QString pieces[] = {u"a"_s, u"é"_s, u"€"_s, u"世"_s, u"😀"_s, u"\r\n"_s};
    QString text;
    for (int i = random.bounded(30); i > 0; --i)
        text += pieces[random.bounded(int(std::size(pieces)))];
    QByteArray bytes;
    switch (encoding) {
    case TextEncoding::Utf8:
        bytes = text.toUtf8();
        break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        for (const QChar c : std::as_const(text)) {
            const char high = char(c.unicode() >> 8);
            const char low = char(c.unicode() & 0xFF);
            const bool big = encoding == TextEncoding::Utf16BE;
            bytes.append(big ? high : low).append(big ? low : high);
        }
        break;
    default:
        bytes = text.toLatin1();
        break;
    }
    const qsizetype at = random.bounded(bytes.size() + 1);
    bytes.insert(at, randomBytes(random, random.bounded(4)));
    return bytes;
}

} // namespace

class BlockDecodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blocks_decodeAsTheWhole_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("UTF-8") << TextEncoding::Utf8;
        QTest::newRow("UTF-16LE") << TextEncoding::Utf16LE;
        QTest::newRow("UTF-16BE") << TextEncoding::Utf16BE;
        QTest::newRow("UTF-32LE") << TextEncoding::Utf32LE;
        QTest::newRow("UTF-32BE") << TextEncoding::Utf32BE;
        QTest::newRow("Windows-1252") << TextEncoding::Windows1252;
    }

    // Every stream cut into blocks of random sizes, often a byte or two,
    // so that block ends fall inside every kind of sequence.
    void blocks_decodeAsTheWhole()
    {
        QFETCH(TextEncoding, encoding);
        QRandomGenerator random(quint32(encoding) * 7919 + 1);
        for (int round = 0; round < 3000; ++round) {
            const QByteArray bytes = random.bounded(2) == 0
                                         ? randomBytes(random, random.bounded(40))
                                         : randomText(random, encoding);
            BlockDecoder decoder(encoding);
            QString text;
            for (qsizetype at = 0; at < bytes.size();) {
                const qsizetype size =
                    random.bounded(2) == 0 ? random.bounded(1, 4) : random.bounded(1, 12);
                decoder.feed(QByteArrayView(bytes).sliced(at, std::min(size, bytes.size() - at)),
                             text);
                at += size;
            }
            decoder.finish(text);
            const QString whole = decode(bytes, encoding);
            if (text != whole)
                QFAIL(qPrintable(u"bytes "_s + QString::fromLatin1(bytes.toHex(' '))));
        }
    }

    void blocks_validateAsTheWhole()
    {
        QRandomGenerator random(99);
        int valid = 0;
        for (int round = 0; round < 4000; ++round) {
            const QByteArray bytes = random.bounded(2) == 0
                                         ? randomBytes(random, random.bounded(12))
                                         : randomText(random, TextEncoding::Utf8);
            BlockUtf8Validator validator;
            for (qsizetype at = 0; at < bytes.size();) {
                const qsizetype size = random.bounded(1, 6);
                validator.feed(QByteArrayView(bytes).sliced(at, std::min(size, bytes.size() - at)));
                at += size;
            }
            const bool whole = isValidUtf8(bytes);
            valid += whole ? 1 : 0;
            if (validator.finish() != whole)
                QFAIL(qPrintable(u"bytes "_s + QString::fromLatin1(bytes.toHex(' '))));
        }
        // Both answers must have been tested.
        QVERIFY(valid > 100);
        QVERIFY(valid < 3900);
    }

    void decodableLength_holdsBackUnfinishedCharacters_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("length");

        QTest::newRow("UTF-8 complete") << TextEncoding::Utf8 << "a\xC3\xA9"_ba << qsizetype(3);
        QTest::newRow("UTF-8 lead alone") << TextEncoding::Utf8 << "a\xC3"_ba << qsizetype(1);
        QTest::newRow("UTF-8 three of four")
            << TextEncoding::Utf8 << "a\xF0\x9F\x98"_ba << qsizetype(1);
        QTest::newRow("UTF-8 stray continuation")
            << TextEncoding::Utf8 << "a\x80\x80"_ba << qsizetype(3);
        QTest::newRow("UTF-8 byte that leads nothing")
            << TextEncoding::Utf8 << "a\xFF"_ba << qsizetype(2);
        QTest::newRow("UTF-16 odd byte") << TextEncoding::Utf16LE << "a\0b"_ba << qsizetype(2);
        QTest::newRow("UTF-16LE high surrogate last")
            << TextEncoding::Utf16LE << "a\0\x3D\xD8"_ba << qsizetype(2);
        QTest::newRow("UTF-16BE high surrogate last")
            << TextEncoding::Utf16BE << "\0a\xD8\x3D"_ba << qsizetype(2);
        QTest::newRow("UTF-16LE low surrogate last")
            << TextEncoding::Utf16LE << "\x3D\xD8\x00\xDE"_ba << qsizetype(4);
        QTest::newRow("UTF-32 three bytes over")
            << TextEncoding::Utf32LE << "a\0\0\0b\0\0"_ba << qsizetype(4);
    }

    void decodableLength_holdsBackUnfinishedCharacters()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, length);
        QCOMPARE(decodableLength(bytes, encoding), length);
    }
};

QTEST_GUILESS_MAIN(BlockDecodingTest)
#include "tst_blockdecoding.moc"

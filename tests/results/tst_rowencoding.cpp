#include "results/RowEncoding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QString withUnpairedReplaced(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool paired =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (paired)
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar(QChar::ReplacementCharacter);
    }
    return text;
}

} // namespace

class RowEncodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void utf8_matchesQtOnValidText()
    {
        // Every length around the blocks of eight and sixteen units, with a
        // non-ASCII unit of each width at every position.
        const QStringList others{u"é"_s, u"П"_s, u"\u07FF"_s, u"\u0800"_s, u"世"_s, u"😀"_s};
        for (const QString &other : others) {
            for (int length = 0; length < 40; ++length) {
                for (int at = 0; at <= length; ++at) {
                    QString text(length, u'a');
                    text.insert(at, other);
                    QByteArray out("prefix");
                    appendUtf8(out, text);
                    QCOMPARE(out, "prefix" + text.toUtf8());
                }
            }
        }
        auto *random = QRandomGenerator::global();
        for (int round = 0; round < 500; ++round) {
            QString text;
            for (int i = random->bounded(60); i > 0; --i) {
                const char32_t cp = random->bounded(4) == 0 ? random->bounded(0x80, 0x10FFFF)
                                                            : random->bounded(0x20, 0x7F);
                if (cp >= 0xD800 && cp < 0xE000)
                    continue;
                text += QString::fromUcs4(&cp, 1);
            }
            QByteArray out;
            appendUtf8(out, text);
            QCOMPARE(out, text.toUtf8());
        }
    }

    void utf8_mixedWidths_matchQt()
    {
        // Mostly ASCII and two-byte units, now and then wider ones and
        // unpaired surrogates, at every alignment of the blocks.
        const char16_t pool[] = {u'a',      u' ',      u'\x7F',   u'\x80', u'é',
                                 u'\u07FF', u'\u0800', u'\uFFFF', 0xD83D,  0xDE00};
        auto *random = QRandomGenerator::global();
        for (int round = 0; round < 2000; ++round) {
            QString text;
            const int length = random->bounded(80);
            const int wideOdds = random->bounded(2, 40);
            for (int i = 0; i < length; ++i) {
                const int pick =
                    random->bounded(wideOdds) == 0 ? random->bounded(6, 10) : random->bounded(6);
                text += QChar(pool[pick]);
            }
            QByteArray out("x");
            appendUtf8(out, text);
            QCOMPARE(out, "x" + withUnpairedReplaced(text).toUtf8());
        }
    }

    void utf8_replacesUnpairedSurrogates()
    {
        const QChar high(char16_t(0xD83D));
        const QChar low(char16_t(0xDE00));
        QByteArray out;
        appendUtf8(out, QString(QString(high) + u"ab"_s + QString(low) + QString(high)));
        QCOMPARE(out, QByteArray("\xEF\xBF\xBD"
                                 "ab"
                                 "\xEF\xBF\xBD\xEF\xBF\xBD"));
    }

    void jsonFromUtf8_asFromText()
    {
        auto *random = QRandomGenerator::global();
        for (int round = 0; round < 2000; ++round) {
            QString text;
            for (int i = random->bounded(40); i > 0; --i) {
                const int kind = random->bounded(4);
                const char32_t cp = kind == 0   ? random->bounded(0x00, 0x80)
                                    : kind == 1 ? random->bounded(0x80, 0xD800)
                                    : kind == 2 ? random->bounded(0x10000, 0x110000)
                                                : U'"';
                text += QString::fromUcs4(&cp, 1);
            }
            QByteArray fromText("x");
            appendJsonString(fromText, QStringView(text));
            QByteArray fromUtf8("x");
            appendJsonString(fromUtf8, QByteArrayView(text.toUtf8()));
            QCOMPARE(fromUtf8, fromText);
        }
    }

    // One record of each form for fields that need each rule.
    void records_csvAndTsv_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArray>("tsv");
        QTest::newRow("plain") << QByteArray("/a/b.txt") << QByteArray("row one")
                               << QByteArray("/a/b.txt,row one\r\n")
                               << QByteArray("/a/b.txt\trow one\n");
        QTest::newRow("empty fields")
            << QByteArray("") << QByteArray("") << QByteArray(",\r\n") << QByteArray("\t\n");
        QTest::newRow("comma and quotes") << QByteArray("a,b.txt") << QByteArray("say \"hi\"")
                                          << QByteArray("\"a,b.txt\",\"say \"\"hi\"\"\"\r\n")
                                          << QByteArray("a,b.txt\tsay \"hi\"\n");
        QTest::newRow("line breaks") << QByteArray("f") << QByteArray("one\r\ntwo\nthree\r")
                                     << QByteArray("f,\"one\r\ntwo\nthree\r\"\r\n")
                                     << QByteArray("f\tone\\r\\ntwo\\nthree\\r\n");
        QTest::newRow("tab and backslash")
            << QByteArray("c:\\x") << QByteArray("a\tb") << QByteArray("c:\\x,a\tb\r\n")
            << QByteArray("c:\\\\x\ta\\tb\n");
        QTest::newRow("UTF-8 as it is") << QByteArray("caf\xc3\xa9") << QByteArray("\xe2\x80\xa6")
                                        << QByteArray("caf\xc3\xa9,\xe2\x80\xa6\r\n")
                                        << QByteArray("caf\xc3\xa9\t\xe2\x80\xa6\n");
    }
    void records_csvAndTsv()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, tsv);
        QByteArray out;
        appendRecord(out, RecordForm::Csv, file, text);
        QCOMPARE(out, csv);
        out.clear();
        appendRecord(out, RecordForm::Tsv, file, text);
        QCOMPARE(out, tsv);
        out.clear();
        appendRecordHeader(out, RecordForm::Csv);
        appendRecordHeader(out, RecordForm::Tsv);
        QCOMPARE(out, QByteArray("file,text\r\nfile\ttext\n"));
    }

    void json_escapesExactly()
    {
        QByteArray out;
        appendJsonString(out, QString(u"a\"b\\c\r\n\t\x01\x7f é "_s + QChar(char16_t(0xDC00))));
        QCOMPARE(out, QByteArray("\"a\\\"b\\\\c\\r\\n\\t\\u0001\\u007f \xC3\xA9 \\udc00\""));
    }
};

QTEST_GUILESS_MAIN(RowEncodingTest)
#include "tst_rowencoding.moc"

#include "platform/Failure.h"
#include "reading/TextDecoding.h"
#include "reading/encodings/LegacyEncoding.h"

#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QByteArray encoded(const QString &text, const char *encoding)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

const QString Russian = u"Съешь же ещё этих мягких французских булок, да выпей чаю. "
                        "Широкая электрификация южных губерний даст мощный толчок."_s;
const QString Czech = u"Příliš žluťoučký kůň úpěl ďábelské ódy. Žádný účet nebyl zaplacen."_s;
const QString Polish = u"Zażółć gęślą jaźń. Pchnąć w tę łódź jeża lub ośm skrzyń fig."_s;

} // namespace

class LegacyEncodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("detected"); // empty: stays Windows-1252
        QTest::addColumn<QString>("text");
        QTest::newRow("KOI8-R") << encoded(Russian, "KOI8-R") << QByteArray("KOI8-R") << Russian;
        QTest::newRow("Windows-1251")
            << encoded(Russian, "windows-1251") << QByteArray("WINDOWS-1251") << Russian;
        QTest::newRow("IBM866") << encoded(Russian, "IBM866") << QByteArray("IBM866") << Russian;
        QTest::newRow("ISO-8859-2, Czech")
            << encoded(Czech, "ISO-8859-2") << QByteArray("ISO-8859-2") << Czech;
        QTest::newRow("ISO-8859-2, Polish")
            << encoded(Polish, "ISO-8859-2") << QByteArray("ISO-8859-2") << Polish;
        const QString french = u"Le café était très bon, n’est-ce pas ? « Déjà vu », dit-il à "
                               "l’élève qui répétait la leçon près de la fenêtre."_s;
        QTest::newRow("French stays Windows-1252")
            << encoded(french, "windows-1252") << QByteArray() << french;
        const QString german = u"Grüße aus München: schöne Straße, Äpfel und Öl für die Bäckerei "
                               "über dem Fluß."_s;
        QTest::newRow("German stays Windows-1252")
            << encoded(german, "windows-1252") << QByteArray() << german;
        const QString quotes = u"“Smart quotes” – and … an ellipsis, ‘single’ too, © 2026."_s;
        QTest::newRow("English punctuation stays Windows-1252")
            << encoded(quotes, "windows-1252") << QByteArray() << quotes;
        QTest::newRow("too few letters to judge: Windows-1252")
            << encoded(u"naïve café"_s, "windows-1252") << QByteArray() << u"naïve café"_s;
        QTest::newRow("the sample is the file's start")
            << QByteArray(QByteArray(LegacySampleBytes, 'a') + encoded(Russian, "KOI8-R"))
            << QByteArray()
            << QString(QString(LegacySampleBytes, u'a') +
                       decodeWindows1252(encoded(Russian, "KOI8-R")));
    }

    void detection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, detected);
        QFETCH(QString, text);
        QCOMPARE(legacyEncodingOf(bytes).value_or(QByteArray()), detected);
        QCOMPARE(decodeUnmarkedText(bytes), text);
    }

    void binaryBytes_stayWindows1252()
    {
        QByteArray bytes(4096, Qt::Uninitialized);
        quint32 state = 20261207;
        for (char &b : bytes) {
            state = state * 1664525u + 1013904223u;
            b = char(state >> 24);
        }
        QCOMPARE(legacyEncodingOf(bytes), std::nullopt);
    }

    void blockDecoding_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QString japanese = u"日本語のテキスト、こんにちは。半角ｶﾅ abc"_s;
        QTest::newRow("Shift_JIS") << QByteArray("Shift_JIS") << encoded(japanese, "Shift_JIS");
        QTest::newRow("GB18030") << QByteArray("GB18030") << encoded(japanese + u"😀"_s, "GB18030");
        QTest::newRow("KOI8-R") << QByteArray("koi8-r") << encoded(Russian, "KOI8-R");
        QTest::newRow("windows-1252 as WHATWG has it")
            << QByteArray("Windows-1252") << QByteArray("a\x81\x8D\x80\x9F\xFFz");
    }

    // Every place a block may end gives the text of the whole.
    void blockDecoding()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        const QString whole = decodeWithEncoding(bytes, name);
        if (name.startsWith("Windows"))
            QCOMPARE(whole, decodeWindows1252(bytes));
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            NamedBlockDecoder decoder(name);
            QString text;
            decoder.feed(QByteArrayView(bytes).first(cut), text);
            decoder.feed(QByteArrayView(bytes).sliced(cut), text);
            decoder.finish(text);
            QCOMPARE(text, whole);
        }
    }

    void unknownName_fails()
    {
        QVERIFY(isKnownEncodingName("koi8-r"));
        QVERIFY(!isKnownEncodingName("no-such-encoding"));
        QVERIFY_THROWS_EXCEPTION(Failure, decodeWithEncoding("abc", "no-such-encoding"));
    }
};

QTEST_GUILESS_MAIN(LegacyEncodingTest)
#include "tst_legacyencoding.moc"

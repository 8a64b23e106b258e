#include "core/SettingsStore.h"
#include "platform/Failure.h"
#include "platform/SettingsArea.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    IniSettingsArea m_area;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }
    void init() { QFile::remove(IniSettingsArea::fileFor(SettingsStore::Application)); }

    void freshUser_readsDefaults()
    {
        SettingsStore store(m_area);
        QCOMPARE(store.getBoolean(u"Option1"_s, true), true);
        QCOMPARE(store.getBoolean(u"Option2"_s, false), false);
        QCOMPARE(store.get(u"Extension"_s, u"txt"_s), u"txt"_s);
        QCOMPARE(store.get(u"LastFolder"_s), QString());
        QVERIFY(!QFile::exists(IniSettingsArea::fileFor(u"Tarnwick"_s)));
    }

    void savedValues_persistInTarnwickFile()
    {
        {
            SettingsStore store(m_area);
            store.save(u"Extension"_s, u"html"_s);
            store.saveBoolean(u"Option2"_s, true);
            store.save(u"LastFolder"_s, QString());
        }
        SettingsStore again(m_area);
        QCOMPARE(again.get(u"Extension"_s, u"txt"_s), u"html"_s);
        QCOMPARE(again.get(u"Option2"_s), u"True"_s);
        // A key saved empty reads back empty, not as the default.
        QCOMPARE(again.get(u"LastFolder"_s, u"/home"_s), QString());

        QFile file(m_config.filePath(u"Tarnwick.conf"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY(ini.contains("[Quillfen]"));
        QVERIFY(ini.contains("Option2=True"));
    }

    void awkwardValues_roundTrip()
    {
        SettingsStore store(m_area);
        const QString separators = u"etc.|{}My_Separatora12||e.g.|{}My_Separatora12||"_s;
        QString everyCode;
        for (char16_t c = 1; c < 256; ++c)
            everyCode += QChar(c);
        const QString lines = u"a\r\nb=c;d\"e\\f#g"_s;
        store.save(u"Abbreviations"_s, separators);
        store.save(u"Snapshot"_s, everyCode);
        store.save(u"Extension"_s, lines);
        QCOMPARE(store.get(u"Abbreviations"_s), separators);
        QCOMPARE(store.get(u"Snapshot"_s), everyCode);
        QCOMPARE(store.get(u"Extension"_s), lines);
    }

    void booleanConversion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 0 false, 1 true, -1 failure
        QTest::newRow("True") << u"True"_s << 1;
        QTest::newRow("TRUE") << u"TRUE"_s << 1;
        QTest::newRow("true") << u"true"_s << 1;
        QTest::newRow("False") << u"False"_s << 0;
        QTest::newRow("fAlSe") << u"fAlSe"_s << 0;
        QTest::newRow("1") << u"1"_s << 1;
        QTest::newRow("-1") << u"-1"_s << 1;
        QTest::newRow("0") << u"0"_s << 0;
        QTest::newRow("0.0") << u"0.0"_s << 0;
        QTest::newRow("2.5") << u"2.5"_s << 1;
        QTest::newRow("0.01") << u"0.01"_s << 1;
        QTest::newRow("yes") << u"yes"_s << -1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("True with junk") << u"Truex"_s << -1;
        QTest::newRow("nan") << u"nan"_s << -1;
        QTest::newRow("1 MB of junk") << QString(1 << 20, u'x') << -1;
    }
    void booleanConversion()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        if (expected < 0) {
            try {
                SettingsStore::toBoolean(text);
                QFAIL("no conversion failure");
            } catch (const Failure &failure) {
                QCOMPARE(failure.description(), u"Type mismatch"_s);
            }
        } else {
            QCOMPARE(SettingsStore::toBoolean(text), expected == 1);
        }
    }

    void badStoredBoolean_failsReading()
    {
        SettingsStore store(m_area);
        store.save(u"Option3"_s, u"maybe"_s);
        QVERIFY_THROWS_EXCEPTION(Failure, store.getBoolean(u"Option3"_s, true));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"

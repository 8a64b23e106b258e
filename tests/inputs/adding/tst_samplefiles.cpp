// The sample record: taken at the first start, loaded by the button, and
// the scrambling that keeps it.

#include "MemorySettingsArea.h"
#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "core/ApplicationError.h"
#include "inputs/adding/FolderListing.h"
#include "inputs/adding/PathTests.h"
#include "inputs/adding/SampleFiles.h"
#include "inputs/adding/Scramble.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class SampleFilesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<MemorySettingsArea> m_area;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<TreeFixture> m_data; // the data folder
    StringListTarget m_list;

    FillerServices services()
    {
        return {*m_platform, *m_platform, *m_platform, *m_platform, *m_settings, nullptr};
    }
    QString sample(const QString &name) const { return m_data->path(u"Samples/"_s + name); }
    void load() { addSampleFiles(m_list, m_data->root(), services()); }

private Q_SLOTS:
    void init()
    {
        m_platform = std::make_unique<ScriptedPlatform>();
        m_area = std::make_unique<MemorySettingsArea>();
        m_settings = std::make_unique<SettingsStore>(*m_area);
        m_data = std::make_unique<TreeFixture>();
        m_data->makeFolder("Samples");
        m_data->makeFile("Samples/a.txt");
        m_data->makeFile("Samples/b.htm");
        m_data->makeFolder("Samples/not-a-file");
        m_list.rows.clear();
    }

    void snapshot_recordsTheFilesScrambled()
    {
        recordSampleSnapshot(m_data->root(), *m_settings);
        QStringList paths;
        for (const QString &name : m_data->listing(u"Samples"_s, false))
            paths << sample(name);
        const QString stored = m_settings->get(u"Snapshot"_s);
        QCOMPARE(stored, scrambleText(paths.join(u'|'), u"wrenfold"_s));
        QVERIFY(!stored.contains(u"Samples"_s));
        QCOMPARE(unscrambleText(stored, SampleFiles::RecordKey), paths.join(u'|'));
    }

    void snapshot_ofAMissingFolder_isEmpty()
    {
        recordSampleSnapshot(m_data->path(u"elsewhere"_s), *m_settings);
        QCOMPARE(m_area->saveLog(), QStringList{u"Snapshot="_s});
    }

    void load_twice_addsOnceAndAsksTwice()
    {
        recordSampleSnapshot(m_data->root(), *m_settings);
        m_list.rows = {u"/earlier.txt"_s};
        load();
        load();
        QStringList expected{u"/earlier.txt"_s};
        for (const QString &name : m_data->listing(u"Samples"_s, false))
            expected << sample(name);
        QCOMPARE(m_list.rows, expected);
        const MessageRequest question{
            u"Would you like this software to open the folder where these sample files are "
            "stored (so that you can view them before working with them)?"_s,
            applicationTitle(), MessageButtons::YesNo, MessageIcon::None};
        QCOMPARE(m_platform->shownRequests(), (QList<MessageRequest>{question, question}));
        QCOMPARE(m_platform->openedLocations, QStringList());
    }

    void load_skipsDeletedSamplesSilently()
    {
        recordSampleSnapshot(m_data->root(), *m_settings);
        QVERIFY(QFile::remove(sample(u"b.htm"_s)));
        m_data->makeFile("Samples/new.txt"); // not in the record
        load();
        QCOMPARE(m_list.rows, QStringList{sample(u"a.txt"_s)});
        QCOMPARE(m_platform->shownRequests().size(), 1);
    }

    void load_pathInOtherCase_doesNotBlock()
    {
        recordSampleSnapshot(m_data->root(), *m_settings);
        QVERIFY(QFile::remove(sample(u"b.htm"_s)));
        m_list.rows = {sample(u"A.TXT"_s)};
        load();
        QCOMPARE(m_list.rows, (QStringList{sample(u"A.TXT"_s), sample(u"a.txt"_s)}));
    }

    void load_withoutRecord_addsNothingAndAsks()
    {
        load();
        QCOMPARE(m_list.rows, QStringList());
        QCOMPARE(m_platform->shownRequests().size(), 1);
    }

    void load_yes_opensTheSampleFolder()
    {
        recordSampleSnapshot(m_data->root(), *m_settings);
        m_platform->answerNext(MessageAnswer::Yes);
        load();
        QCOMPARE(m_platform->openedLocations, QStringList{m_data->root() + u"/Samples/"_s});
        QCOMPARE(m_list.rows.size(), 2);
    }

    void load_failingList_endsTheLoading()
    {
        recordSampleSnapshot(m_data->root(), *m_settings);
        class FullList final : public InputListTarget
        {
        public:
            void appendRow(const QString &) override { throw Failure(u"full"_s); }
            int rowCount() const override { return 0; }
            QString rowText(int) const override { return {}; }
        } full;
        QVERIFY_THROWS_EXCEPTION(Failure, addSampleFiles(full, m_data->root(), services()));
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void scramble_knownValues_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("scrambled");
        // 'a' (97) + 'w' (119) = 216.
        QTest::newRow("sum below 256") << u"a"_s << u"wrenfold"_s << QString(QChar(216));
        // 0xC3 + 'w' = 314 - 255 = 59; 0xA9 + 'r' = 283 - 255 = 28.
        QTest::newRow("UTF-8 bytes wrap")
            << u"\u00e9"_s << u"wrenfold"_s << QString::fromLatin1("\x3b\x1c");
        // The key starts again after its last letter.
        QTest::newRow("key cycles")
            << u"\x01\x01\x01"_s << u"ab"_s << QString::fromLatin1("\x62\x63\x62");
        QTest::newRow("empty text") << QString() << u"wrenfold"_s << QString();
    }
    void scramble_knownValues()
    {
        QFETCH(QString, plain);
        QFETCH(QString, key);
        QFETCH(QString, scrambled);
        QCOMPARE(scrambleText(plain, key), scrambled);
        QCOMPARE(unscrambleText(scrambled, key), plain);
    }

    void scramble_roundTrip()
    {
        QRandomGenerator random(20210831);
        const char32_t ranges[][2] = {
            {1, 0x7f}, {0x80, 0x7ff}, {0x800, 0xd7ff}, {0xe000, 0xfffd}, {0x10000, 0x10ffff}};
        for (int round = 0; round < 500; ++round) {
            std::u32string text;
            const int length = random.bounded(1, 60);
            for (int i = 0; i < length; ++i) {
                const auto &range = ranges[random.bounded(5)];
                text.push_back(char32_t(random.bounded(uint(range[0]), uint(range[1]) + 1)));
            }
            const QString plain = QString::fromStdU32String(text);
            const QString scrambled = scrambleText(plain, SampleFiles::RecordKey);
            QCOMPARE(scrambled.size(), plain.toUtf8().size());
            for (const QChar c : scrambled)
                QVERIFY(c.unicode() >= 1 && c.unicode() <= 255);
            QCOMPARE(unscrambleText(scrambled, SampleFiles::RecordKey), plain);
        }
    }

    void scramble_isTotal()
    {
        const QString withNul = u"a"_s + QChar(0) + u"b"_s;
        QCOMPARE(unscrambleText(scrambleText(withNul, u"wrenfold"_s), u"wrenfold"_s), withNul);
        QCOMPARE(scrambleText(u"same"_s, QString()), u"same"_s);
        // Text no scrambling makes still unscrambles to something.
        QVERIFY(!unscrambleText(u"False \u20ac"_s, u"wrenfold"_s).isEmpty());
    }

    // The settings file must give every code of a scrambled record back.
    void record_survivesTheSettingsFile()
    {
        QString record;
        for (int code = 1; code <= 255; ++code)
            record.append(QChar(char16_t(code)));
        {
            IniSettingsArea area;
            SettingsStore(area).save(SampleFiles::SnapshotKey, record);
        }
        IniSettingsArea area;
        QCOMPARE(SettingsStore(area).get(SampleFiles::SnapshotKey), record);
    }

    // The example files that ship in the data folder keep their encodings.
    void shippedSamples()
    {
        const QString folder = QStringLiteral(QUILLFEN_SOURCE_DIR) + u"/data/Samples"_s;
        const QStringList names = Quillfen::listMatchingFiles(folder, u"*.*"_s);
        // Five texts and pages, and one .docx, .odt, .epub and .pdf.
        QVERIFY2(names.size() >= 4 && names.size() <= 9, qPrintable(names.join(u", "_s)));
        bool utf8 = false, windows1252 = false, utf16 = false, html = false;
        for (const QString &name : names) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            if (name.endsWith(u".html"_s) || name.endsWith(u".htm"_s))
                html = true;
            else if (bytes.startsWith("\xff\xfe"))
                utf16 = true;
            else if (!Quillfen::isValidUtf8Name(bytes))
                windows1252 = true;
            else
                utf8 = true;
        }
        QVERIFY(utf8 && windows1252 && utf16 && html);
    }
};

QTEST_GUILESS_MAIN(SampleFilesTest)
#include "tst_samplefiles.moc"

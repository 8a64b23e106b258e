// The main window on the real settings file when that file is damaged or
// cannot be written: start-up still opens the window, reports what it must,
// and later choices are still saved where that is possible.

#include "WindowHarness.h"
#include "core/ReportSites.h"
#include "core/SettingsStore.h"
#include "platform/SettingsArea.h"
#include "windows/main/OptionsPanel.h"

#include <QRadioButton>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class DamagedSettingsTest : public QObject
{
    Q_OBJECT

private:
    IniSettingsArea m_ini;

    static QString settingsFile() { return IniSettingsArea::fileFor(SettingsStore::Application); }

    std::unique_ptr<MainWindow> startOnIni(WindowHarness &harness)
    {
        auto window = std::make_unique<MainWindow>(
            MainWindowServices{.boxes = harness.platform,
                               .settings = m_ini,
                               .loop = harness.platform,
                               .dialogs = harness.platform,
                               .desktop = harness.platform,
                               .applicationFolder = harness.dataFolder.root(),
                               .homePageAddress = QString(),
                               .drawSeed = [] { return quint32(0); },
                               .yieldInterval = std::chrono::milliseconds(0),
                               .exportYieldInterval = std::chrono::milliseconds(0),
                               .workbookFolder = harness.workbooks.root()});
        window->startUp();
        return window;
    }

    QString storedOption(int n)
    {
        return m_ini
            .value(SettingsStore::Application, SettingsStore::Section,
                   u"Option"_s + QString::number(n))
            .value_or(u"(none)"_s);
    }

    static void clearSettings()
    {
        QFile::remove(settingsFile());
        QDir(settingsFile()).removeRecursively();
        QDir().mkpath(QFileInfo(settingsFile()).path());
    }

private Q_SLOTS:
    void damagedFile_windowStartsAndKeepsSaving_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("option2Restored");
        QTest::addColumn<QStringList>("reports");
        QByteArray junk(8192, Qt::Uninitialized);
        QRandomGenerator gen(3);
        for (char &c : junk)
            c = char(gen.bounded(256));
        QTest::newRow("binary junk") << junk << false << QStringList();
        QTest::newRow("junk then a good section")
            << junk + "\n[Quillfen]\nOption2=True\nOption1=False\n"
            << true << QStringList();
        // A value that is not a truth value is reported, as any bad option is.
        QTest::newRow("truncated line")
            << QByteArray("[Quillfen]\nOption2=True\nOption1=Fa") << true
            << QStringList{WindowHarness::report(ReportSites::StartUp::Identifier, 132,
                                                 u"Type mismatch"_s)};
        QTest::newRow("1 MB value") << "[Quillfen]\nOption2=True\nOption1=False\nAbbreviations=" +
                                           QByteArray(1024 * 1024, 'x') + "\n"
                                    << true << QStringList();
        QTest::newRow("NUL bytes") << QByteArray(4096, '\0') << false << QStringList();
    }
    void damagedFile_windowStartsAndKeepsSaving()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, option2Restored);
        QFETCH(QStringList, reports);
        clearSettings();
        writeFile(settingsFile(), content);
        WindowHarness harness;
        const auto window = startOnIni(harness);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Whatever was readable is restored; only a bad value is reported.
        QCOMPARE(window->options().option(OptionButton::Sentence)->isChecked(), option2Restored);
        QCOMPARE(harness.platform.shownMessages(), reports);

        // The program keeps working on that file: a click is saved and read
        // back by the next reader.
        QTest::mouseClick(window->options().option(option2Restored ? OptionButton::Paragraph
                                                                   : OptionButton::Sentence),
                          Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(storedOption(2), option2Restored ? u"False"_s : u"True"_s);
        QCOMPARE(storedOption(1), option2Restored ? u"True"_s : u"False"_s);
    }

    void unwritableFile_windowStillStarts()
    {
        // A folder where the file should be cannot be written even by root.
        clearSettings();
        QVERIFY(QDir().mkpath(settingsFile()));
        WindowHarness harness;
        const auto window = startOnIni(harness);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // The defaults, as on a fresh start.
        QVERIFY(window->options().option(OptionButton::Paragraph)->isChecked());
        QVERIFY(window->options().option(OptionButton::NoFilter)->isChecked());
        const QStringList shown = harness.platform.shownMessages();
        QVERIFY2(shown.size() <= 1, qPrintable(shown.join(u"\n---\n"_s)));
        // A click still changes the choice, unsaved and unreported.
        QTest::mouseClick(window->options().option(OptionButton::Sentence), Qt::LeftButton, {},
                          QPoint(5, 5));
        QVERIFY(window->options().option(OptionButton::Sentence)->isChecked());
        QCOMPARE(harness.platform.shownMessages(), shown);
        QVERIFY(QFileInfo(settingsFile()).isDir());
        clearSettings();
    }
};

QTEST_MAIN(DamagedSettingsTest)
#include "tst_damagedsettings.moc"

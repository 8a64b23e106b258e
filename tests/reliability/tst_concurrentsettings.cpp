// Two programs saving settings into one file at the same time: the file
// stays whole and no save of either is lost.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Saves = 60;
const QStringList Tags{u"A"_s, u"B"_s};

QString writerProgram()
{
    return QStringLiteral(SETTINGS_WRITER);
}

// The value a writer saves in round i.
QString valueOf(const QString &tag, int i)
{
    return tag + u'-' + QString::number(i) + u' ' + QString(600, u'x');
}

} // namespace

class ConcurrentSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoWriters_leaveAWholeFileAndLoseNothing()
    {
        QVERIFY2(QFile::exists(writerProgram()), qPrintable(writerProgram()));
        QTemporaryDir config;
        QVERIFY(config.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, config.path());

        std::vector<std::unique_ptr<QProcess>> writers;
        for (const QString &tag : Tags) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->setProcessEnvironment(env);
            writers.back()->start(writerProgram(), {tag, QString::number(Saves)});
        }
        for (const auto &writer : writers) {
            QVERIFY(writer->waitForFinished(120000));
            // A writer that could not save would have reported it.
            QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
            QVERIFY2(writer->exitCode() == 0, writer->readAllStandardError().constData());
        }

        const QString path = config.filePath(u"Tarnwick.conf"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        // Every line is the section or one whole key and value.
        static const QRegularExpression line(
            u"^(\\[Quillfen\\]|(own-[AB]-[0-4]|shared-[0-2])=[AB]-\\d+ x{600})$"_s);
        const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
        for (const QString &l : lines)
            QVERIFY2(line.match(l).hasMatch(), qPrintable(l.left(80)));
        QCOMPARE(lines.size(), 1 + 2 * 5 + 3);

        QSettings settings(path, QSettings::IniFormat);
        QCOMPARE(settings.status(), QSettings::NoError);
        settings.beginGroup(u"Quillfen"_s);
        // Each writer's own keys hold its last save to them.
        for (const QString &tag : Tags) {
            for (int k = 0; k < 5; ++k) {
                const int last = (Saves - 1) - ((Saves - 1 - k) % 5);
                QCOMPARE(settings.value(u"own-"_s + tag + u'-' + QString::number(k)).toString(),
                         valueOf(tag, last));
            }
        }
        // Each shared key holds a value one of them saved to it, and the
        // last save of one of them.
        for (int k = 0; k < 3; ++k) {
            const int last = (Saves - 1) - ((Saves - 1 - k) % 3);
            const QString stored = settings.value(u"shared-"_s + QString::number(k)).toString();
            QVERIFY2(stored == valueOf(u"A"_s, last) || stored == valueOf(u"B"_s, last),
                     qPrintable(stored.left(20)));
        }
        // No lock or temporary file is left beside it.
        QCOMPARE(QDir(config.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"Tarnwick.conf"_s});
    }
};

QTEST_GUILESS_MAIN(ConcurrentSettingsTest)
#include "tst_concurrentsettings.moc"

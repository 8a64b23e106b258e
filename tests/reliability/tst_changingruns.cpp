// Input files changed by someone else while "Start Extracting" yields: the
// run reads what stands there when it comes to the file, reports what
// cannot be read once, and loses nothing of the other files.

#include "RunDoubles.h"
#include "TreeFixture.h"
#include "reading/html/GumboHtml.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class ChangingRunsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileChangedWhileTheRunYields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("middleRows");
        QTest::addColumn<QString>("report"); // the one report expected, or empty

        const QStringList replaced{u"new one"_s, u"new two"_s};
        for (const QString &name : {u"b.txt"_s, u"b.html"_s}) {
            const QString statement =
                name.endsWith(u"html"_s) ? u"at line 132"_s : u"at line 144"_s;
            QTest::addRow("%s renamed over", qPrintable(name))
                << name << u"rename"_s << replaced << QString();
            QTest::addRow("%s turned into a folder", qPrintable(name))
                << name << u"folder"_s << QStringList() << statement;
            QTest::addRow("%s removed", qPrintable(name))
                << name << u"remove"_s << QStringList() << statement;
            QTest::addRow("%s emptied", qPrintable(name))
                << name << u"empty"_s << QStringList() << QString();
        }
        QTest::newRow("b.txt cut short")
            << u"b.txt"_s << u"truncate"_s << QStringList{u"old one"_s} << QString();
        QTest::newRow("b.txt written over in place")
            << u"b.txt"_s << u"overwrite"_s << replaced << QString();
    }
    void fileChangedWhileTheRunYields()
    {
        QFETCH(QString, name);
        QFETCH(QString, change);
        QFETCH(QStringList, middleRows);
        QFETCH(QString, report);
        const bool html = name.endsWith(u"html"_s);

        TreeFixture dir;
        const QString a = dir.write(u"a.txt"_s, "alpha\r\n\r\nalpha two");
        const QString b =
            dir.write(name, html ? "<p>old one</p><p>old two</p>" : "old one\n\nold two");
        const QString c = dir.write(u"c.txt"_s, "gamma");
        const QByteArray replacement =
            html ? "<p>new one</p><p>new two</p>" : "new one\r\n\r\nnew two";

        RunFixture<GumboHtml> fixture;
        fixture.inputs.rows = {a, b, c};
        ScriptedPlatform &platform = fixture.platform;

        // The yield just before b is read, when its name is on the bar.
        bool changed = false;
        platform.onYield([&](int) {
            if (changed || platform.progressCaption() != u"Processing: "_s + name)
                return;
            changed = true;
            if (change == u"rename") {
                const QString other = dir.write(u"other"_s, replacement);
                QVERIFY(::rename(QFile::encodeName(other).constData(),
                                 QFile::encodeName(b).constData()) == 0);
            } else if (change == u"folder") {
                QVERIFY(QFile::remove(b));
                QVERIFY(QDir().mkpath(b + u"/inside"_s));
            } else if (change == u"remove") {
                QVERIFY(QFile::remove(b));
            } else if (change == u"empty") {
                QVERIFY(QFile::resize(b, 0));
            } else if (change == u"truncate") {
                QVERIFY(QFile::resize(b, 7));
            } else if (change == u"overwrite") {
                QFile file(b);
                QVERIFY(file.open(QIODevice::ReadWrite));
                QCOMPARE(file.write(replacement), replacement.size());
                QVERIFY(file.resize(replacement.size()));
            }
        });
        fixture.run.start();

        QVERIFY(changed);
        const QStringList expected =
            QStringList{u"alpha"_s, u"alpha two"_s} + middleRows + QStringList{u"gamma"_s};
        QCOMPARE(fixture.results.all(), expected);
        const QStringList shown = platform.shownMessages();
        QCOMPARE(shown.last(), u"Done."_s);
        if (report.isEmpty()) {
            QCOMPARE(shown.size(), 1);
        } else {
            QCOMPARE(shown.size(), 2);
            QVERIFY2(shown.first().contains(b) && shown.first().contains(report),
                     qPrintable(shown.first()));
        }
        QCOMPARE(platform.pointerHistory().last(), PointerMode::Default);
        QVERIFY(!fixture.run.isRunning());
    }
};

QTEST_GUILESS_MAIN(ChangingRunsTest)
#include "tst_changingruns.moc"

#include "TreeFixture.h"
#include "platform/Failure.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

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
        QCOMPARE(ReadTextFile(path), texts);
        QCOMPARE(ReadTextFile(path), texts); // the same again: no state between reads
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
            ReadTextFile(path);
            QFAIL("no failure thrown");
        } catch (const Failure &failure) {
            QVERIFY2(failure.description().contains(path), qPrintable(failure.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TextFileDecodingTest)
#include "tst_textfiledecoding.moc"

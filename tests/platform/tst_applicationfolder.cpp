#include "TreeFixture.h"
#include "platform/ApplicationFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class ApplicationFolderTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_root;

    QString make(const QString &relative) { return m_root.folder(relative); }

private Q_SLOTS:
    void executableFolderWithSamples_isTheDataFolder()
    {
        const QString bin = make(u"portable"_s);
        make(u"portable/Samples"_s);
        const QString share = make(u"share/quillfen"_s);
        QCOMPARE(locateApplicationFolder(bin + u'/', {share}), bin);
    }

    void withoutSamples_theFirstShareFolderThatExists()
    {
        const QString bin = make(u"installed/bin"_s);
        const QString share = make(u"installed/share/quillfen"_s);
        QCOMPARE(locateApplicationFolder(bin, {bin + u"/../share/quillfen"_s, u"/nowhere"_s}),
                 share);
        QCOMPARE(locateApplicationFolder(bin, {u"/nowhere/quillfen"_s, share}), share);
    }

    void samplesAsAFile_doesNotCount()
    {
        const QString bin = make(u"odd"_s);
        writeFile(bin + u"/Samples"_s, {});
        QCOMPARE(locateApplicationFolder(bin, {u"/nowhere/quillfen"_s}), u"/nowhere/quillfen"_s);
    }

    void pathExists_neverFails_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("exists");
        QTest::newRow("folder") << u"portable"_s << true;
        QTest::newRow("missing") << u"missing/file"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void pathExists_neverFails()
    {
        QFETCH(QString, relative);
        QFETCH(bool, exists);
        make(u"portable"_s);
        const QString path = relative.isEmpty() ? QString() : m_root.path(relative);
        QCOMPARE(pathExists(path), exists);
    }
};

QTEST_GUILESS_MAIN(ApplicationFolderTest)
#include "tst_applicationfolder.moc"

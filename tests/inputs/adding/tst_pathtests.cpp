// The path tests, the wildcard listing of one folder and the path clean-up.

#include "TreeFixture.h"
#include "inputs/adding/FolderListing.h"
#include "inputs/adding/PathTests.h"

#include <QTest>
#include <climits>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Quillfen::Testing::TreeFixture;

class PathTestsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void normalizePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("clean path unchanged") << u"/home/a/b.txt"_s << u"/home/a/b.txt"_s;
        QTest::newRow("doubled separator") << u"/home//b.txt"_s << u"/home/b.txt"_s;
        QTest::newRow("run of three") << u"/home///b.txt"_s << u"/home/b.txt"_s;
        QTest::newRow("leading pair has no meaning") << u"//server/x"_s << u"/server/x"_s;
        QTest::newRow("several runs") << u"a//b///c////d"_s << u"a/b/c/d"_s;
        QTest::newRow("only separators") << u"////"_s << u"/"_s;
        QTest::newRow("trailing run") << u"/x//"_s << u"/x/"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("backslashes are ordinary") << u"a\\\\b"_s << u"a\\\\b"_s;
    }
    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Quillfen::collapseSlashes(path), expected);
    }

    void unsafeRawNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("unsafe");
        QTest::newRow("plain") << QByteArray("Reports 2021") << false;
        QTest::newRow("question mark is ordinary") << QByteArray("why?") << false;
        QTest::newRow("non-ASCII UTF-8") << QByteArray("Caf\xc3\xa9") << false;
        QTest::newRow("four-byte UTF-8") << QByteArray("\xf0\x9f\x93\x81 files") << false;
        QTest::newRow("Latin-1 byte") << QByteArray("Caf\xe9") << true;
        QTest::newRow("stray continuation") << QByteArray("a\x80") << true;
        QTest::newRow("truncated sequence") << QByteArray("a\xe2\x82") << true;
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf") << true;
        QTest::newRow("encoded surrogate") << QByteArray("a\xed\xa0\x80") << true;
        QTest::newRow("tab") << QByteArray("a\tb") << true;
        QTest::newRow("line feed") << QByteArray("a\nb") << true;
        QTest::newRow("delete") << QByteArray("a\x7f") << true;
        QTest::newRow("C1 control U+0085") << QByteArray("a\xc2\x85") << true;
        QTest::newRow("U+00A0 is not a control") << QByteArray("a\xc2\xa0") << false;
    }
    void unsafeRawNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, unsafe);
        QCOMPARE(Quillfen::hasUnsafeCharacters(QByteArrayView(name)), unsafe);
        // The decoded name tells the same, through the replacement character.
        QCOMPARE(Quillfen::hasUnsafeCharacters(QString::fromUtf8(name)), unsafe);
    }

    void pathTests_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("file");
        QTest::newRow("folder") << QByteArray("dir") << true << false;
        QTest::newRow("folder with trailing separator") << QByteArray("dir/") << true << false;
        QTest::newRow("file") << QByteArray("file.txt") << false << true;
        QTest::newRow("missing") << QByteArray("nothing") << false << false;
        QTest::newRow("link to folder") << QByteArray("dirLink") << true << false;
        QTest::newRow("link to file") << QByteArray("fileLink") << false << true;
        QTest::newRow("dangling link") << QByteArray("dangling") << false << false;
        QTest::newRow("fifo is a file") << QByteArray("fifo") << false << true;
    }
    void pathTests()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, folder);
        QFETCH(bool, file);
        TreeFixture tree;
        tree.makeFolder("dir");
        tree.makeFile("file.txt");
        tree.makeLink("dir", "dirLink");
        tree.makeLink("file.txt", "fileLink");
        tree.makeLink("gone", "dangling");
        QCOMPARE(::mkfifo(tree.raw("fifo").constData(), 0644), 0);
        const QString path = tree.path(QString::fromUtf8(entry));
        QCOMPARE(Quillfen::isFolder(path), folder);
        QCOMPARE(Quillfen::isExistingFile(path), file);
    }

    void pathTests_failQuietly()
    {
        QVERIFY(!Quillfen::isFolder(QString()));
        QVERIFY(!Quillfen::isExistingFile(QString()));
        const QString tooLong = u"/"_s + QString(PATH_MAX, u'a');
        QVERIFY(!Quillfen::isFolder(tooLong));
        QVERIFY(!Quillfen::isExistingFile(tooLong));
    }

    void attributes_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("needsUnprivileged");
        QTest::newRow("file") << QByteArray("a.txt") << 32 << false;
        QTest::newRow("hidden file") << QByteArray(".a.txt") << 34 << false;
        QTest::newRow("folder") << QByteArray("dir") << 16 << false;
        QTest::newRow("folder by trailing separator") << QByteArray("dir/") << 16 << false;
        QTest::newRow("hidden folder") << QByteArray(".dir") << 18 << false;
        QTest::newRow("link to file") << QByteArray("fileLink") << 1056 << false;
        QTest::newRow("link to folder") << QByteArray("dirLink") << 1040 << false;
        QTest::newRow("link to folder, trailing separator")
            << QByteArray("dirLink/") << 1040 << false;
        QTest::newRow("hidden link to file") << QByteArray(".fileLink") << 1058 << false;
        QTest::newRow("fifo") << QByteArray("fifo") << 0 << false;
        QTest::newRow("read-only file") << QByteArray("ro.txt") << 33 << true;
        QTest::newRow("read-only hidden file") << QByteArray(".ro.txt") << 35 << true;
    }
    void attributes()
    {
        QFETCH(QByteArray, entry);
        QFETCH(int, value);
        QFETCH(bool, needsUnprivileged);
        if (needsUnprivileged && ::geteuid() == 0)
            QSKIP("running as root, which may write every file");
        TreeFixture tree;
        tree.makeFile("a.txt");
        tree.makeFile(".a.txt");
        tree.makeFolder("dir");
        tree.makeFolder(".dir");
        tree.makeLink("a.txt", "fileLink");
        tree.makeLink("a.txt", ".fileLink");
        tree.makeLink("dir", "dirLink");
        QCOMPARE(::mkfifo(tree.raw("fifo").constData(), 0644), 0);
        tree.makeFile("ro.txt");
        tree.makeFile(".ro.txt");
        ::chmod(tree.raw("ro.txt").constData(), 0444);
        ::chmod(tree.raw(".ro.txt").constData(), 0444);
        QCOMPARE(Quillfen::FileAttributes(tree.path(QString::fromUtf8(entry))), value);
    }

    void attributes_missingPathFails()
    {
        TreeFixture tree;
        QVERIFY_THROWS_EXCEPTION(Quillfen::Failure,
                                 Quillfen::FileAttributes(tree.path(u"missing"_s)));
    }

    void wildcard_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("extension") << u"*.txt"_s << u"b.txt"_s << true;
        QTest::newRow("extension, other case") << u"*.txt"_s << u"a.TXT"_s << true;
        QTest::newRow("longer extension") << u"*.txt"_s << u"c.txt.bak"_s << false;
        QTest::newRow("hidden name") << u"*.txt"_s << u".txt"_s << true;
        QTest::newRow("star dot star, no dot") << u"*.*"_s << u"README"_s << true;
        QTest::newRow("prefix dot star, no dot") << u"rep*.*"_s << u"report"_s << true;
        QTest::newRow("prefix dot star, other prefix") << u"rep*.*"_s << u"notes"_s << false;
        QTest::newRow("question mark, one character") << u"?.txt"_s << u"a.txt"_s << true;
        QTest::newRow("question mark, two characters") << u"?.txt"_s << u"ab.txt"_s << false;
        QTest::newRow("question mark, surrogate pair")
            << u"?.txt"_s << QString::fromUcs4(U"\U0001F4C1.txt") << true;
        QTest::newRow("backtracking") << u"*ab"_s << u"aab"_s << true;
        QTest::newRow("two stars") << u"*a*b"_s << u"xaxyb"_s << true;
        QTest::newRow("two stars, missing b") << u"*a*b"_s << u"xaxy"_s << false;
        QTest::newRow("non-ASCII letters ignore case")
            << u"\u00c9T\u00c9*"_s << u"\u00e9t\u00e9.txt"_s << true;
        QTest::newRow("final sigma and capital sigma") << u"\u03a3*"_s << u"\u03c2.txt"_s << true;
        QTest::newRow("a bracket is a plain character") << u"[ab].txt"_s << u"[AB].txt"_s << true;
        QTest::newRow("a bracket matches no class") << u"[ab].txt"_s << u"a.txt"_s << false;
        QTest::newRow("a backslash is a plain character") << u"a\\*"_s << u"a\\b"_s << true;
        QTest::newRow("exact name") << u"Notes"_s << u"notes"_s << true;
        QTest::newRow("pattern ends before name") << u"a.*x"_s << u"a.bxy"_s << false;
    }
    void wildcard()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(Quillfen::WildcardPattern(pattern).matches(name), matches);
    }

    void filesInFolder_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("*.txt") << u"*.txt"_s
                               << QStringList{u"a.TXT"_s, u"b.txt"_s, u".hidden.txt"_s,
                                              u"link.txt"_s};
        QTest::newRow("*.*") << u"*.*"_s
                             << QStringList{u"a.TXT"_s, u"b.txt"_s,       u"c.txt.bak"_s,
                                            u"noext"_s, u".hidden.txt"_s, u"link.txt"_s};
        QTest::newRow("no match") << u"*.doc"_s << QStringList();
    }
    void filesInFolder()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        TreeFixture tree;
        for (const char *name : {"a.TXT", "b.txt", "c.txt.bak", "noext", ".hidden.txt"})
            tree.makeFile(name);
        tree.makeFolder("sub.txt");
        tree.makeFolder("sub");
        tree.makeFile("sub/deeper.txt");
        tree.makeLink("b.txt", "link.txt");
        tree.makeLink("sub", "folderLink.txt");
        tree.makeLink("missing", "dangling.txt");
        tree.makeFile("bad\xff.txt");

        const QStringList names = Quillfen::listMatchingFiles(tree.root(), pattern);
        // Listing order is the file system's.
        QStringList inOrder;
        for (const QString &name : tree.listing(QString(), false)) {
            if (expected.contains(name))
                inOrder << name;
        }
        QCOMPARE(names, inOrder);
        QCOMPARE(names.size(), expected.size());
        // A trailing separator on the folder changes nothing.
        QCOMPARE(Quillfen::listMatchingFiles(tree.root() + u'/', pattern), names);
    }

    void filesInFolder_missingFolderGivesNothing()
    {
        TreeFixture tree;
        QCOMPARE(Quillfen::listMatchingFiles(tree.path(u"missing"_s), u"*.*"_s), QStringList());
        tree.makeFile("plain");
        QCOMPARE(Quillfen::listMatchingFiles(tree.path(u"plain"_s), u"*.*"_s), QStringList());
    }
};

QTEST_GUILESS_MAIN(PathTestsTest)
#include "tst_pathtests.moc"

// The Qt dialogs and desktop services, driven on the offscreen platform:
// a timer answers each modal dialog as a user would.

#include "TreeFixture.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// Runs answer on the next modal dialog of type T once it shows; a dialog
// that the answer leaves open is closed after a while so that no test
// hangs. The timers go with guard, which lives for one test.
template <typename T> void whenShown(QObject *guard, std::function<void(T &)> answer, bool *found)
{
    QTimer::singleShot(0, guard, [answer, found] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            *found = true;
            answer(*dialog);
        }
    });
    QTimer::singleShot(5000, guard, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
}

QList<FileFilter> addFilesFilters()
{
    return parseFileFilters(u"Text and HTML Files (*.txt;*.htm;*.html)|*.txt;*.htm;*.html|"
                            "All Files (*.*)|*.*|"_s);
}

// Records the URLs QDesktopServices is asked to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class QtDialogsTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    QByteArray m_path;
    std::unique_ptr<QObject> m_guard;

    QString write(const QString &name, const QByteArray &bytes = "x")
    {
        return m_tree.write(name, bytes);
    }
    // A program on PATH that writes its arguments, one a line, to a file.
    QString fakeProgram(const QString &folder, const QString &name)
    {
        const QString path = writeFile(
            folder + u'/' + name,
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.tmp\"\n"
            "/bin/mv \"$0.args.tmp\" \"$0.args\"\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { m_path = qgetenv("PATH"); }
    void init() { m_guard = std::make_unique<QObject>(); }
    void cleanup()
    {
        m_guard.reset();
        qputenv("PATH", m_path);
    }

    void qtFilter_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QString>("filter");
        QTest::newRow("several patterns")
            << u"Text and HTML Files (*.txt;*.htm;*.html)"_s << u"*.txt;*.htm;*.html"_s
            << u"Text and HTML Files (*.txt *.htm *.html)"_s;
        // Qt's "*.*" wants a dot; every file is meant.
        QTest::newRow("all files") << u"All Files (*.*)"_s << u"*.*"_s << u"All Files (*)"_s;
        QTest::newRow("no parentheses") << u"Text"_s << u"*.txt"_s << u"Text (*.txt)"_s;
    }
    void qtFilter()
    {
        QFETCH(QString, description);
        QFETCH(QString, patterns);
        QFETCH(QString, filter);
        QCOMPARE(QtDialogs::qtFilter({description, patterns}), filter);
    }

    void openFiles_givesThePathsInTheDialogsOrder()
    {
        const QString b = write(u"b.txt"_s);
        const QString a = write(u"a"_s);
        QWidget owner;
        QtDialogs dialogs(&owner);
        bool found = false;
        QStringList filters;
        QString title;
        QWidget *parent = nullptr;
        // It opens where the last files were added from.
        const QString last = m_tree.root() + u"/last"_s;
        QDir().mkpath(last);
        QString shownAt;
        whenShown<QFileDialog>(
            m_guard.get(),
            [&](QFileDialog &dialog) {
                title = dialog.windowTitle();
                filters = dialog.nameFilters();
                parent = dialog.parentWidget();
                shownAt = dialog.directory().absolutePath();
                dialog.setDirectory(m_tree.root());
                dialog.findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(u"\"b.txt\" \"a\""_s);
                static_cast<QDialog &>(dialog).accept(); // QFileDialog hides it
            },
            &found);
        const QStringList chosen = dialogs.openFiles(
            u"Add File(s) - Hold Ctrl to select multiple files"_s, addFilesFilters(), last);
        QVERIFY(found);
        QCOMPARE(shownAt, last);
        QCOMPARE(title, u"Add File(s) - Hold Ctrl to select multiple files"_s);
        QCOMPARE(filters,
                 (QStringList{u"Text and HTML Files (*.txt *.htm *.html)"_s, u"All Files (*)"_s}));
        QCOMPARE(parent, &owner);
        QCOMPARE(chosen, (QStringList{b, a}));
    }

    void openFiles_cancelGivesNothing()
    {
        QtDialogs dialogs;
        bool found = false;
        whenShown<QFileDialog>(
            m_guard.get(), [](QFileDialog &dialog) { dialog.reject(); }, &found);
        QVERIFY(dialogs.openFiles(u"Add"_s, addFilesFilters(), QString()).isEmpty());
        QVERIFY(found);
    }

    void saveFile_addsNoExtensionAndAsksNothing()
    {
        const QString existing = write(u"res"_s, "old");
        QtDialogs dialogs;
        bool found = false;
        whenShown<QFileDialog>(
            m_guard.get(),
            [&](QFileDialog &dialog) {
                dialog.setDirectory(m_tree.root());
                dialog.findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(u"res"_s);
                static_cast<QDialog &>(dialog).accept(); // QFileDialog hides it
            },
            &found);
        const QString chosen = dialogs.saveFile(
            u"Save"_s, parseFileFilters(u"Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"_s),
            m_tree.root());
        QVERIFY(found);
        // Had the dialog asked about overwriting, its question would have
        // stayed open until the safety timer closed it, and nothing would
        // have been chosen.
        QCOMPARE(chosen, existing);
        QCOMPARE(readFile(existing), QByteArray("old"));
    }

    void chooseFolder_startsAtTheInitialFolder_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing folder") << true;
        QTest::newRow("missing folder") << false;
    }
    void chooseFolder_startsAtTheInitialFolder()
    {
        QFETCH(bool, exists);
        const QString initial = m_tree.root() + (exists ? u"/start"_s : u"/gone"_s);
        if (exists)
            QDir().mkpath(initial);
        QtDialogs dialogs;
        bool found = false;
        QString shownAt;
        QString label;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        whenShown<QFileDialog>(
            m_guard.get(),
            [&](QFileDialog &dialog) {
                shownAt = dialog.directory().absolutePath();
                label = dialog.windowTitle();
                mode = dialog.fileMode();
                dialog.setDirectory(m_tree.root());
                dialog.findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(m_tree.root());
                static_cast<QDialog &>(dialog).accept(); // QFileDialog hides it
            },
            &found);
        const QString chosen = dialogs.chooseFolder(u"Please select folder:"_s, initial);
        QVERIFY(found);
        QCOMPARE(label, u"Please select folder:"_s);
        QCOMPARE(mode, QFileDialog::Directory);
        QCOMPARE(shownAt, exists ? initial : QDir::homePath());
        QCOMPARE(chosen, m_tree.root());
    }

    void askText_showsThePromptAndGivesTheAnswer_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("answer");
        QTest::newRow("OK") << true << u"doc"_s;
        QTest::newRow("Cancel") << false << QString();
    }
    void askText_showsThePromptAndGivesTheAnswer()
    {
        QFETCH(bool, accept);
        QFETCH(QString, answer);
        QtDialogs dialogs;
        bool found = false;
        QString label;
        QString caption;
        QString initial;
        whenShown<QInputDialog>(
            m_guard.get(),
            [&](QInputDialog &dialog) {
                label = dialog.labelText();
                caption = dialog.windowTitle();
                initial = dialog.textValue();
                dialog.setTextValue(u"doc"_s);
                accept ? dialog.accept() : dialog.reject();
            },
            &found);
        const QString given = dialogs.askText(u"Enter:\r\r(* for all)"_s, u"Quillfen"_s, u"txt"_s);
        QVERIFY(found);
        QCOMPARE(label, u"Enter:\n\n(* for all)"_s);
        QCOMPARE(caption, u"Quillfen"_s);
        QCOMPARE(initial, u"txt"_s);
        QCOMPARE(given, answer);
    }

    void clipboard_holdsTheTextAndIsCleared()
    {
        QtDesktop desktop;
        QVERIFY(desktop.setClipboardText(u"a\tb  \r\n\u03a9\r\n"_s));
        QCOMPARE(QGuiApplication::clipboard()->text(), u"a\tb  \r\n\u03a9\r\n"_s);
        QVERIFY(desktop.clearClipboard());
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    }

    void openLocation_asksForAFolderOrAnAddress()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(u"file"_s, &recorder, "open");
        QDesktopServices::setUrlHandler(u"https"_s, &recorder, "open");
        QtDesktop desktop;
        const QString samples = m_tree.root() + u"/Samples/"_s;
        QDir().mkpath(samples);
        QVERIFY(desktop.openLocation(samples));
        QVERIFY(desktop.openLocation(u"https://quillfen.example/start"_s));
        QDesktopServices::unsetUrlHandler(u"file"_s);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(recorder.urls, (QList<QUrl>{QUrl::fromLocalFile(samples),
                                             QUrl(u"https://quillfen.example/start"_s)}));
    }

    void spreadsheet_availableWithAProgramOnPath_data()
    {
        QTest::addColumn<QString>("program");    // empty: none
        QTest::addColumn<QStringList>("beside"); // files in the program's folder
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QStringList>("arguments");
        const QStringList calc{u"libsclo.so"_s, u"libvclplug_gtk3lo.so"_s};
        QTest::newRow("none") << QString() << QStringList() << QByteArray(":0") << false
                              << QStringList();
        QTest::newRow("LibreOffice opens it as a new workbook")
            << u"soffice"_s << calc << QByteArray(":0") << true
            << QStringList{u"--calc"_s, u"-n"_s, u"WORKBOOK"_s};
        QTest::newRow("headless LibreOffice (no display plugin)")
            << u"soffice"_s << QStringList{u"libsclo.so"_s} << QByteArray(":0") << false
            << QStringList();
        QTest::newRow("LibreOffice without Calc")
            << u"soffice"_s << QStringList{u"libvclplug_genlo.so"_s} << QByteArray(":0") << false
            << QStringList();
        QTest::newRow("Gnumeric") << u"gnumeric"_s << QStringList() << QByteArray(":0") << true
                                  << QStringList{u"WORKBOOK"_s};
        QTest::newRow("no display")
            << u"gnumeric"_s << QStringList() << QByteArray() << false << QStringList();
    }
    void spreadsheet_availableWithAProgramOnPath()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, beside);
        QFETCH(QByteArray, display);
        QFETCH(bool, available);
        QFETCH(QStringList, arguments);
        const QString bin = m_tree.root() + u"/bin-"_s +
                            QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        QDir().mkpath(bin);
        qputenv("PATH", QFile::encodeName(bin));
        qputenv("DISPLAY", display);
        qunsetenv("WAYLAND_DISPLAY");
        const QString fake = program.isEmpty() ? QString() : fakeProgram(bin, program);
        for (const QString &name : beside)
            QVERIFY(QFile(bin + u'/' + name).open(QIODevice::WriteOnly));
        QtDesktop desktop;
        QCOMPARE(desktop.spreadsheetApplicationAvailable(), available);
        if (!available)
            return;
        const QString workbook = write(u"Results.xlsx"_s);
        QVERIFY(desktop.openWorkbook(workbook));
        QTRY_VERIFY(QFile::exists(fake + u".args"_s));
        arguments.replace(arguments.size() - 1, workbook);
        QCOMPARE(QString::fromUtf8(readFile(fake + u".args"_s)), arguments.join(u'\n') + u'\n');
    }
};

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"

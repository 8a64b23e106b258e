#include "PdfFixture.h"
#include "ZipFixture.h"
#include "platform/Failure.h"
#include "reading/documents/DocumentFormats.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen;

// A reader that opened the path a second time, after another program put a
// FIFO there, would wait for a writer for ever. Here a thread swaps a FIFO
// and the real file in and out at the path while the reader reads it; a
// read that waits is freed (a writer opens and closes the FIFO) and counted.
class SwappedInputsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fifoSwappedIn_neverWaitedOn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("docx") << u"a.docx"_s << docxOf("<w:p><w:r><w:t>Swapped.</w:t></w:r></w:p>");
        QTest::newRow("odt") << u"a.odt"_s << odtOf("<text:p>Swapped.</text:p>");
        QTest::newRow("epub") << u"a.epub"_s
                              << epubOf("<item id=\"c\" href=\"c.xhtml\" "
                                        "media-type=\"application/xhtml+xml\"/>",
                                        "<itemref idref=\"c\"/>",
                                        {{"c.xhtml", "<html><body><p>Swapped.</p></body></html>"}});
        QTest::newRow("pdf") << u"a.pdf"_s << writePdf({{u"Swapped."_s}}).bytes;
        QTest::newRow("html") << u"a.html"_s << QByteArray("<p>Swapped.</p>");
        QTest::newRow("text") << u"a.txt"_s << QByteArray("Swapped.");
    }

    void fifoSwappedIn_neverWaitedOn()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QByteArray target = QFile::encodeName(dir.filePath(name));
        const QByteArray real = QFile::encodeName(dir.filePath(u"real"_s));
        const QByteArray fifo = QFile::encodeName(dir.filePath(u"fifo"_s));
        const QByteArray spare = QFile::encodeName(dir.filePath(u"spare"_s));
        QFile file(QString::fromUtf8(real));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(::link(real.constData(), target.constData()), 0);

        constexpr qint64 Idle = -1;
        constexpr qint64 WaitedTooLongMs = 2000;
        std::atomic<bool> done = false;
        std::atomic<qint64> tryStart = Idle;
        std::atomic<int> hangs = 0;
        std::atomic<int> swaps = 0;
        QElapsedTimer clock;
        clock.start();
        std::thread swapper([&] {
            bool fifoNext = true;
            while (!done) {
                ::unlink(spare.constData());
                ::link(fifoNext ? fifo.constData() : real.constData(), spare.constData());
                ::rename(spare.constData(), target.constData());
                fifoNext = !fifoNext;
                ++swaps;
                const qint64 started = tryStart;
                if (started != Idle && clock.elapsed() - started > WaitedTooLongMs) {
                    // A reader waits in open: a writer lets it go on.
                    const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) {
                        ::close(fd);
                        ++hangs;
                        tryStart = Idle;
                    }
                }
            }
        });

        constexpr int Tries = 1000;
        int read = 0;
        int refused = 0;
        while (swaps < 100)
            std::this_thread::yield();
        for (int i = 0; i < Tries; ++i) {
            std::this_thread::yield();
            tryStart = clock.elapsed();
            try {
                if (readDocumentText(QString::fromUtf8(target)) == u"Swapped."_s)
                    ++read;
            } catch (const Failure &) {
                ++refused;
            }
            tryStart = Idle;
        }
        done = true;
        swapper.join();
        QCOMPARE(hangs.load(), 0);
        QCOMPARE(read + refused, Tries);
        QVERIFY2(read > 0 && refused > 0,
                 qPrintable(u"the swap never raced: %1 read, %2 refused"_s.arg(read).arg(refused)));
    }
};

QTEST_MAIN(SwappedInputsTest)
#include "tst_swappedinputs.moc"

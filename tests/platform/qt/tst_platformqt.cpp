#include "TreeFixture.h"
#include "platform/Failure.h"
#include "platform/qt/PointerImages.h"
#include "platform/qt/WidgetMessageBoxes.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class PlatformQtTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    static QByteArray image(const char *format)
    {
        QImage picture(16, 16, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, format);
        return bytes;
    }

private Q_SLOTS:
    void messageText_breaksLinesAtEveryLineEnd()
    {
        QCOMPARE(WidgetMessageBoxes::displayText(u"D\r\nin X at line 1\r\rPlease"_s),
                 u"D\nin X at line 1\n\nPlease"_s);
        QCOMPARE(WidgetMessageBoxes::displayText(u"a\nb"_s), u"a\nb"_s);
    }

    void pointer_fromAnImageOfAnyFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("PNG named as a cursor") << u"HAND-M.CUR"_s << image("PNG") << true;
        QTest::newRow("icon") << u"drag.ico"_s << image("ICO") << true;
        QTest::newRow("not an image") << u"broken.ico"_s << QByteArray("junk") << false;
        QTest::newRow("empty file") << u"empty.cur"_s << QByteArray() << false;
    }
    void pointer_fromAnImageOfAnyFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loaded);
        const std::optional<QCursor> pointer = pointerFromFile(m_tree.write(name, bytes));
        QCOMPARE(pointer.has_value(), loaded);
        if (loaded) {
            QCOMPARE(pointer->shape(), Qt::BitmapCursor);
            QCOMPARE(pointer->pixmap().size(), QSize(16, 16));
        }
    }

    void pointer_fromACursorFile_keepsItsHotSpot()
    {
        // An icon file becomes a cursor file by its type word; the two
        // words after each entry's size then hold the hot spot.
        QByteArray cursor = image("ICO");
        QVERIFY(cursor.size() > 22);
        cursor[2] = 2;
        cursor[10] = 3;
        cursor[11] = 0;
        cursor[12] = 5;
        cursor[13] = 0;
        const std::optional<QCursor> pointer = pointerFromFile(m_tree.write(u"HAND.CUR"_s, cursor));
        QVERIFY(pointer.has_value());
        QCOMPARE(pointer->hotSpot(), QPoint(3, 5));
    }

    void pointer_missingFile_isNothing()
    {
        QVERIFY(!pointerFromFile(m_tree.path(u"none.cur"_s)).has_value());
    }
};

QTEST_MAIN(PlatformQtTest)
#include "tst_platformqt.moc"

#include "platform/EscapedText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

class EscapedTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlCharacters_areEscaped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << u"report.txt"_s << u"report.txt"_s;
        QTest::newRow("escape sequence setting the title")
            << u"a\x1b]0;owned\x07.txt"_s << u"a\\x1b]0;owned\\a.txt"_s;
        QTest::newRow("clear screen") << u"\x1b[2J\x1b[H"_s << u"\\x1b[2J\\x1b[H"_s;
        QTest::newRow("newline, tab, return")
            << u"one\ntwo\tthree\r"_s << u"one\\ntwo\\tthree\\r"_s;
        QTest::newRow("NUL and DEL") << QString(u"a\0b\x7f"_s) << u"a\\x00b\\x7f"_s;
        QTest::newRow("C1 control (CSI)") << u"x\u009b2Jy"_s << u"x\\u009b2Jy"_s;
        QTest::newRow("non-ASCII kept") << u"caf\u00e9 \u65e5\u672c \U0001F600 \u00a0"_s
                                        << u"caf\u00e9 \u65e5\u672c \U0001F600 \u00a0"_s;
        QTest::newRow("backslash kept") << u"a\\x1b"_s << u"a\\x1b"_s;
    }
    void controlCharacters_areEscaped()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(escapedText(text), shown);
    }
};

QTEST_APPLESS_MAIN(EscapedTextTest)
#include "tst_escapedtext.moc"

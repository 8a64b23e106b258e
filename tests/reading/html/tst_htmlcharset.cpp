#include "reading/html/HtmlCharset.h"
#include "reading/html/HtmlRendering.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// "" for none, "utf-8", "windows-1252", or the decoder's name.
QString describe(const std::optional<HtmlCharset> &charset)
{
    if (!charset)
        return {};
    switch (charset->kind) {
    case HtmlCharset::Utf8:
        return u"utf-8"_s;
    case HtmlCharset::Windows1252:
        return u"windows-1252"_s;
    case HtmlCharset::Other:
        break;
    }
    return QString::fromLatin1(charset->name);
}

} // namespace

class HtmlCharsetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void declaredCharset_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("charset");

        QTest::newRow("meta charset") << QByteArray("<meta charset=\"utf-8\">") << u"utf-8"_s;
        QTest::newRow("unquoted, upper case") << QByteArray("<META CHARSET=KOI8-R>") << u"KOI8-R"_s;
        QTest::newRow("label with spaces")
            << QByteArray("<meta charset=' koi8-r '>") << u"KOI8-R"_s;
        QTest::newRow("latin1 is windows-1252")
            << QByteArray("<meta charset=iso-8859-1>") << u"windows-1252"_s;
        QTest::newRow("ascii is windows-1252")
            << QByteArray("<meta charset=us-ascii>") << u"windows-1252"_s;
        QTest::newRow("utf-16 is taken as utf-8")
            << QByteArray("<meta charset=utf-16le>") << u"utf-8"_s;
        QTest::newRow("x-user-defined is windows-1252")
            << QByteArray("<meta charset=x-user-defined>") << u"windows-1252"_s;
        QTest::newRow("legacy label to its superset")
            << QByteArray("<meta charset=iso-8859-9>") << u"windows-1254"_s;
        QTest::newRow("gb2312 is gbk") << QByteArray("<meta charset=gb2312>") << u"GBK"_s;
        QTest::newRow("http-equiv content type")
            << QByteArray(
                   "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">")
            << u"Shift_JIS"_s;
        QTest::newRow("content before http-equiv")
            << QByteArray("<meta content='text/html;charset=\"koi8-r\"' http-equiv=content-type>")
            << u"KOI8-R"_s;
        QTest::newRow("content without http-equiv")
            << QByteArray("<meta content=\"text/html; charset=koi8-r\">") << QString();
        QTest::newRow("other http-equiv")
            << QByteArray("<meta http-equiv=refresh content=\"text/html; charset=koi8-r\">")
            << QString();
        QTest::newRow("charset attribute wins over content")
            << QByteArray("<meta http-equiv=content-type content=\"text/html; charset=koi8-r\" "
                          "charset=utf-8>")
            << u"utf-8"_s;
        QTest::newRow("first of a repeated attribute")
            << QByteArray("<meta charset=koi8-r charset=utf-8>") << u"KOI8-R"_s;
        QTest::newRow("slash after meta") << QByteArray("<meta/charset=koi8-r>") << u"KOI8-R"_s;
        QTest::newRow("after other tags and a doctype")
            << QByteArray(
                   "<!DOCTYPE html><html lang=en><head><title>x</title><meta charset=koi8-r>")
            << u"KOI8-R"_s;
        QTest::newRow("inside a comment")
            << QByteArray("<!-- <meta charset=koi8-r> -->") << QString();
        QTest::newRow("inside another tag's attribute")
            << QByteArray("<div title=\"<meta charset=koi8-r>\">") << QString();
        QTest::newRow("no space after meta") << QByteArray("<metacharset=koi8-r>") << QString();
        QTest::newRow("cut off") << QByteArray("<meta charset=\"koi8") << QString();
        QTest::newRow("unknown label") << QByteArray("<meta charset=klingon>") << QString();
        QTest::newRow("refused label") << QByteArray("<meta charset=iso-2022-kr>") << QString();
        QTest::newRow("utf-7 is refused") << QByteArray("<meta charset=utf-7>") << QString();
        QTest::newRow("unknown then known meta")
            << QByteArray("<meta charset=klingon><meta charset=koi8-r>") << u"KOI8-R"_s;
    }

    void declaredCharset()
    {
        QFETCH(QByteArray, head);
        QFETCH(QString, charset);
        QCOMPARE(describe(declaredHtmlCharset(head)), charset);
    }

    // The text of whole pages, decoded as a browser decodes a local file.
    void pageText_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("text");

        QTest::newRow("valid utf-8 without declaration")
            << QByteArray("<p>caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d</p>") << u"café “q”"_s;
        QTest::newRow("not utf-8 without declaration is windows-1252")
            << QByteArray("<p>caf\xe9 \x93q\x94</p>") << u"café “q”"_s;
        QTest::newRow("windows-1252 declared")
            << QByteArray("<meta charset=windows-1252><p>\x80 \x93q\x94</p>") << u"€ “q”"_s;
        QTest::newRow("latin1 declared")
            << QByteArray("<meta charset=latin1><p>caf\xe9</p>") << u"café"_s;
        QTest::newRow("declaration beats valid utf-8")
            << QByteArray("<meta charset=windows-1252><p>caf\xc3\xa9</p>") << u"cafÃ©"_s;
        QTest::newRow("koi8-r") << QByteArray(
                                       "<meta charset=koi8-r><p>\xf0\xd2\xc9\xd7\xc5\xd4</p>")
                                << u"Привет"_s;
        QTest::newRow("shift_jis by http-equiv")
            << QByteArray("<meta http-equiv=Content-Type content='text/html; charset=shift_jis'>"
                          "<p>\x82\xa0</p>")
            << u"あ"_s;
        QTest::newRow("utf-8 declared, bad bytes replaced")
            << QByteArray("<meta charset=utf-8><p>a\xff"
                          "b</p>")
            << u"a\ufffdb"_s;
        QTest::newRow("byte-order mark beats the declaration")
            << QByteArray("\xef\xbb\xbf<meta charset=koi8-r><p>caf\xc3\xa9</p>") << u"café"_s;
        QTest::newRow("utf-16le with byte-order mark")
            << QByteArray("\xff\xfe<\0p\0>\0\xe9\0<\0/\0p\0>\0", 16) << u"é"_s;
        QTest::newRow("utf-16be with byte-order mark")
            << QByteArray("\xfe\xff\0<\0p\0>\0\xe9", 10) << u"é"_s;
        QTest::newRow("declaration after the first 1024 bytes is not seen")
            << (QByteArray("<!--") + QByteArray(1100, 'x') +
                QByteArray("--><meta charset=koi8-r><p>caf\xc3\xa9</p>"))
            << u"café"_s;
        QTest::newRow("unknown label falls back to utf-8")
            << QByteArray("<meta charset=klingon><p>caf\xc3\xa9</p>") << u"café"_s;
        QTest::newRow("unknown label falls back to windows-1252")
            << QByteArray("<meta charset=klingon><p>caf\xe9</p>") << u"café"_s;
        QTest::newRow("utf-16 declared without mark reads as utf-8")
            << QByteArray("<meta charset=utf-16><p>caf\xc3\xa9</p>") << u"café"_s;
    }

    void pageText()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, text);
        QCOMPARE(renderedTextOfHtml(page), text);
    }
};

QTEST_GUILESS_MAIN(HtmlCharsetTest)
#include "tst_htmlcharset.moc"

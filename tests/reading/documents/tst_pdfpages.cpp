#include "CliRunner.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;

// The generated PDFs of tests/reading/documents/pdfs (made by
// scripts/make-test-pdfs.py), read end to end by quillfen-cli.
class PdfPagesTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    static QString pdf(const QString &name)
    {
        return QStringLiteral(QUILLFEN_TEST_PDFS "/") + name;
    }

private Q_SLOTS:
    void paragraphs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("paragraphs");

        QTest::newRow("right-to-left lines in reading order")
            << u"rtl.pdf"_s
            << QStringList{u"هذا نص عربي طويل يمتد على عدة أسطر في الصفحة حتى يقرأه القارئ فقرة "
                           "واحدة من أولها إلى آخرها"_s,
                           u"البرمجة بلغة R وPython"_s, u"שלום עולם וגם HTML 5 בשורה אחת"_s,
                           u"کتاب فارسی خوب است"_s};
        QTest::newRow("CJK lines joined without a space, Korean with one")
            << u"cjk.pdf"_s
            << QStringList{
                   u"这个程序的功能是把文档中的句子一行一行地列出来，方便读者查找。"_s,
                   u"日本語の文章は単語の間に空白を入れずに書きます。カタカナも同じです。"_s,
                   u"한국어는 단어 사이에 띄어쓰기를 합니다 그래서 줄이 바뀌어도 공백이 "
                   "필요합니다"_s,
                   u"ＡＢＣ全角文字と漢字が混ざった行の続きも同じように繋がります。"_s};
        QTest::newRow("ligatures as letters")
            << u"ligatures.pdf"_s
            << QStringList{u"The file was flagged as efficient; staff offline store ſtory and ff "
                           "all stayed as the printer set them."_s};
        QTest::newRow("paragraphs set apart by space, most a single line")
            << u"spaced-paragraphs.pdf"_s
            << QStringList{u"Dear members,"_s,
                           u"The meeting moves to Thursday."_s,
                           u"Bring the minutes of March if you have them; the copy in the hall "
                           "was lost when the cupboard was cleared out last week."_s,
                           u"Tea will be served."_s,
                           u"Yours,"_s,
                           u"The secretary"_s};
        QTest::newRow("a paragraph running on into the second column")
            << u"two-columns.pdf"_s
            << QStringList{u"Two Columns"_s,
                           u"Two columns on a page are read one after the other, the whole left "
                           "one first, and a paragraph that runs from the foot of the left column "
                           "to the head of the right one is still one paragraph to its reader, "
                           "who reads on across the gap without noticing it."_s,
                           u"A second paragraph in the right column has its own lines and ends "
                           "there."_s};
        const QString report = u"The society's report runs over three pages and its sentences "
                               "run over the page breaks as well, as reports do when nobody has "
                               "tried to stop them."_s;
        QTest::newRow("running header and footer left out, paragraph over page breaks")
            << u"running-header-footer.pdf"_s
            << QStringList{u"Annual Report"_s, QStringList(4, report).join(u' ')};
        QStringList numbered;
        for (int n = 1; n <= 5; ++n)
            numbered << u"Sentence number %1 on its own page."_s.arg(n);
        QTest::newRow("pages of one line differing in digits keep their lines")
            << u"numbered-pages.pdf"_s << numbered;
    }

    void paragraphs()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, paragraphs);
        const CliResult result = runCli({u"--text"_s, pdf(file)}, m_config.path());
        QCOMPARE(result.status, 0);
        QCOMPARE(QString::fromUtf8(result.out).split(u"\r\n\r\n"_s), paragraphs);
    }

    void invoiceKeepsItsTitle()
    {
        const CliResult result = runCli({u"--text"_s, pdf(u"invoice.pdf"_s)}, m_config.path());
        const QString text = QString::fromUtf8(result.out);
        QVERIFY2(text.startsWith(u"Invoice 2024-117\r\n\r\n"_s), qPrintable(text));
        QVERIFY2(!text.contains(u"Page 1 of 2"_s), qPrintable(text));
    }

    void filtersFindWhatThePageShows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("term");
        QTest::newRow("a ligature") << u"ligatures.pdf"_s << u"FILE"_s;
        QTest::newRow("a Chinese word across a line end") << u"cjk.pdf"_s << u"功能"_s;
        QTest::newRow("an Arabic word") << u"rtl.pdf"_s << u"البرمجة"_s;
    }

    void filtersFindWhatThePageShows()
    {
        QFETCH(QString, file);
        QFETCH(QString, term);
        const CliResult result =
            runCli({u"-i"_s, u"--containing"_s, term, pdf(file)}, m_config.path());
        QCOMPARE(result.status, 0);
        QCOMPARE(QString::fromUtf8(result.out).count(u'\n'), 1);
    }
};

QTEST_GUILESS_MAIN(PdfPagesTest)
#include "tst_pdfpages.moc"

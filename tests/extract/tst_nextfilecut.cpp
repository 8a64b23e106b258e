#include "RunDoubles.h"
#include "TreeFixture.h"
#include "UnavailableHtml.h"
#include "extract/FileExtraction.h"
#include "extract/NextFileCut.h"
#include "reading/TextDecoding.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// Keeps the rows it is handed in place, as the results list does, and reads
// them only at the end.
struct RowsInPlace final : ResultRows
{
    std::vector<std::tuple<std::shared_ptr<RowTexts>, qsizetype, qsizetype>> taken;
    void append(QStringView row) override
    {
        auto own = std::make_shared<RowTexts>();
        own->append(row);
        taken.emplace_back(own, 0, 1);
    }
    void appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to) override
    {
        taken.emplace_back(texts, from, to);
    }
    void clearRows() override { taken.clear(); }
    QStringList all() const
    {
        QStringList rows;
        for (const auto &[texts, from, to] : taken) {
            for (qsizetype row = from; row < to; ++row)
                rows << texts->text(row);
        }
        return rows;
    }
};

} // namespace

class NextFileCutTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    InlineWork m_work;

    QString writeFile(const QByteArray &bytes) { return m_tree.write(u"next.txt"_s, bytes); }

private Q_SLOTS:
    // The rows made ahead, piece by piece, are the rows the engine gives:
    // cut from UTF-8 and widened back, or cut from the decoded text.
    void preparedRows_areTheEngines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("abbreviations");
        const QByteArray mixed = "A long ASCII run past sixteen bytes, Mr. Caf\xC3\xA9 and "
                                 "\xF0\x9F\x98\x80 twice \xF0\x9F\x98\x80.\r\n\r\n"
                                 "\xE2\x82\xAC 3? Yes e.g. this.\n\nz"_ba;
        for (const auto &[name, bytes] :
             {std::pair{"UTF-8", mixed}, std::pair{"Windows-1252", "Caf\xE9 \x80. Mr. X?"_ba},
              std::pair{"UTF-16LE", "\xFF\xFE"
                                    "a\0.\0 \0=\xD8\0\xDE"_ba}}) {
            QTest::addRow("%s paragraphs", name)
                << bytes << int(ExtractMode::Paragraph) << QStringList{};
            QTest::addRow("%s sentences", name)
                << bytes << int(ExtractMode::Sentence) << QStringList{u"Mr."_s, u"e.g."_s};
            // An entry of letters alone is not searched in UTF-8.
            QTest::addRow("%s sentences, decoded", name)
                << bytes << int(ExtractMode::Sentence) << QStringList{u"Mr"_s};
        }
    }

    void preparedRows_areTheEngines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, mode);
        QFETCH(QStringList, abbreviations);
        const QString path = writeFile(bytes);
        const AbbreviationShield shield(abbreviations);
        const LineFilter all{LineFilterKind::All, {}};
        NextFileCut next(m_work);
        next.start(path, ExtractMode(mode), u"stored"_s, shield, all);
        auto prepared = next.take(path);
        QVERIFY(prepared);
        QVERIFY(prepared->cutFor(ExtractMode(mode), u"stored"_s));
        ListResults made;
        for (qsizetype m = 0; m < prepared->rows.pieceCount(); ++m)
            prepared->rows.appendRowsOfPieces(m, m + 1, made);
        UnavailableHtml html;
        ListResults engine;
        QVERIFY(!extractFile(path, ExtractMode(mode), shield, all, html, engine));
        QCOMPARE(made.all(), engine.all());
        QVERIFY(!made.all().isEmpty());
        QCOMPARE(prepared->rows.pieceCount(),
                 cutText(prepared->text(), ExtractMode(mode), shield).size());
    }

    // Files read one after another into buffers used again, longer ones
    // before shorter, each writing its rows on in the room the file before
    // left: every file's rows and text whole.
    void filesInTurn_shareBuffersAndBlocks_andKeepTheirRows()
    {
        const LineFilter all{LineFilterKind::All, {}};
        const QByteArray texts[] = {QByteArray(5000, 'a') + "\n\nlong tail", "short\n\none",
                                    "\xEF\xBB\xBFwith mark\n\n\xC3\xA9t\xC3\xA9",
                                    QByteArray("w\0i\0n\0", 6), QByteArray(9000, 'b')};
        NextFileCut next(m_work);
        RowsInPlace made;
        ListResults engine;
        UnavailableHtml html;
        for (const QByteArray &bytes : texts) {
            const QString path = writeFile(bytes);
            next.start(path, ExtractMode::Paragraph, {}, {}, all);
            auto prepared = next.take(path);
            QVERIFY(prepared);
            prepared->rows.appendRowsOfPieces(0, prepared->rows.pieceCount(), made);
            QCOMPARE(prepared->text(), decodeTextOfFile(QString(), bytes));
            next.recycle(*prepared);
            QVERIFY(!extractFile(path, ExtractMode::Paragraph, {}, all, html, engine));
        }
        QCOMPARE(made.all(), engine.all());
    }

    void take_givesNothingForAnotherPathOrAFailedRead()
    {
        const QString path = writeFile("x");
        NextFileCut next(m_work);
        next.start(path, ExtractMode::Paragraph, {}, {}, {});
        QVERIFY(!next.take(path + u".other"_s));
        QVERIFY(!next.take(path)); // dropped by the other take
        const QString missing = m_tree.path(u"missing.txt"_s);
        next.start(missing, ExtractMode::Paragraph, {}, {}, {});
        QVERIFY(!next.take(missing));
    }
};

QTEST_GUILESS_MAIN(NextFileCutTest)
#include "tst_nextfilecut.moc"

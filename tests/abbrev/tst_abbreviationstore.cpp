#include "MemorySettingsArea.h"
#include "abbrev/AbbreviationStore.h"
#include "core/SettingsStore.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {
const QString S = u"|{}My_Separatora12||"_s;
}

class AbbreviationStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("editor");
        QTest::addColumn<QStringList>("extraction");
        QTest::newRow("emptied on purpose") << QString() << QStringList() << QStringList();
        QTest::newRow("one entry and separator")
            << u"etc."_s + S << QStringList{u"etc."_s} << QStringList{u"etc."_s, QString()};
        QTest::newRow("no separator is one entry")
            << u"etc."_s << QStringList{u"etc."_s} << QStringList{u"etc."_s};
        QTest::newRow("separator alone") << S << QStringList() << QStringList{QString(), QString()};
        QTest::newRow("adjacent separators")
            << u"a"_s + S + S + u"b"_s << QStringList{u"a"_s, u"b"_s}
            << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("separator in other case does not separate")
            << u"x|{}my_separatora12||y"_s << QStringList{u"x|{}my_separatora12||y"_s}
            << QStringList{u"x|{}my_separatora12||y"_s};
        QTest::newRow("blanks kept")
            << u" etc."_s + S << QStringList{u" etc."_s} << QStringList{u" etc."_s, QString()};
    }
    void readers()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, editor);
        QFETCH(QStringList, extraction);
        QCOMPARE(editorAbbreviations(stored), editor);
        QCOMPARE(extractionAbbreviations(stored), extraction);
    }

    void defaults_inTheirOrder()
    {
        QCOMPARE(defaultAbbreviations(),
                 (QStringList{u"etc."_s, u"vs."_s, u"i.e."_s, u"et al."_s, u"e.g."_s, u"Mr."_s,
                              u"Jr."_s, u"Mrs."_s, u"Ms."_s, u"Inc."_s}));
    }

    void encode_followsEveryEntryWithTheSeparator()
    {
        QCOMPARE(encodeAbbreviations({u"etc."_s, u"vs."_s}), u"etc."_s + S + u"vs."_s + S);
        QCOMPARE(encodeAbbreviations({}), QString());
        // What the editor writes, the editor reads back.
        const QStringList entries{u"et al."_s, u" x "_s, u"Ü."_s};
        QCOMPARE(editorAbbreviations(encodeAbbreviations(entries)), entries);
        // An entry holding the separator comes back split.
        QCOMPARE(editorAbbreviations(encodeAbbreviations({u"a"_s + S + u"b"_s})),
                 (QStringList{u"a"_s, u"b"_s}));
    }

    // The run and the editor use the list the user sees: the defaults while
    // nothing is stored, an emptied list stays empty.
    void storedValue_isTheDefaultsUntilSaved()
    {
        MemorySettingsArea area;
        SettingsStore store(area);
        QCOMPARE(editorAbbreviations(storedAbbreviations(store)), defaultAbbreviations());
        QCOMPARE(extractionAbbreviations(storedAbbreviations(store)), defaultAbbreviations()
                                                                          << QString());
        store.save(u"Abbreviations"_s, u"e.g."_s + S);
        QCOMPARE(storedAbbreviations(store), u"e.g."_s + S);
        store.save(u"Abbreviations"_s, QString());
        QCOMPARE(storedAbbreviations(store), QString());
        QVERIFY(extractionAbbreviations(storedAbbreviations(store)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(AbbreviationStoreTest)
#include "tst_abbreviationstore.moc"

// The lines format's rule (each line break one space) against the plain
// rule, on generated rows whose breaks fall at every place of a block.

#include "cli/RowOutput.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Quillfen;

namespace {

QByteArray joinedPlainly(QByteArray row)
{
    return row.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
}

// Rows of every length to 70 over an alphabet thick with breaks, and long
// rows with few, each break reached at every offset of a 16-byte block.
QList<QByteArray> generatedRows()
{
    QList<QByteArray> rows{"", "\r", "\n", "\r\n", "\n\r", "\r\r\n\n", "a\r", "\r\na"};
    QRandomGenerator random(26);
    const char alphabet[] = {'a', 'b', ' ', '\r', '\n', '\xC3', '\xA9'};
    for (int length = 0; length <= 70; ++length) {
        for (int n = 0; n < 20; ++n) {
            QByteArray row;
            for (int i = 0; i < length; ++i)
                row.append(alphabet[random.bounded(int(sizeof alphabet))]);
            rows.append(row);
        }
    }
    for (int at = 0; at < 40; ++at) {
        for (const char *brk : {"\n", "\r", "\r\n"}) {
            QByteArray row(100, 'x');
            row.insert(at, brk);
            rows.append(row);
            rows.append(row + brk);
        }
    }
    QByteArray longRow(5000, 'y');
    for (int i = 37; i < longRow.size(); i += 211)
        longRow[i] = i % 2 ? '\n' : '\r';
    rows.append(longRow);
    return rows;
}

} // namespace

class RowOutputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinLines_isThePlainRule()
    {
        for (const QByteArray &row : generatedRows()) {
            // A prefix, which may end in a break of its own, stays as it is.
            for (const QByteArray &before :
                 {QByteArray(), QByteArray("head\r"), QByteArray(17, 'p')}) {
                QByteArray inPlace = before + row;
                joinLines(inPlace, before.size());
                QCOMPARE(inPlace, before + joinedPlainly(row));
            }
        }
    }

    void appendJoinedLines_isThePlainRule()
    {
        for (const QByteArray &row : generatedRows()) {
            QByteArray appended("kept\r\n");
            appendJoinedLines(appended, row);
            QCOMPARE(appended, "kept\r\n" + joinedPlainly(row));
            QCOMPARE(holdsLineBreak(row), row.contains('\r') || row.contains('\n'));
        }
    }
};

QTEST_GUILESS_MAIN(RowOutputTest)
#include "tst_rowoutput.moc"

#pragma once

// Reads back what a test needs of a written .xlsx workbook: the cells of
// the first sheet with their types, and the column widths. The workbook is
// a zip archive; its members are taken out with Debian's unzip.

#include <QHash>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

namespace Quillfen::Testing {

struct XlsxCell
{
    QString type; // the t attribute: "s", "inlineStr", "str", "n", ...
    QString text;
    bool formula = false;
    bool wrapped = false; // its style wraps the text
};

struct XlsxSheet
{
    QMap<QString, XlsxCell> cells; // by reference such as "A1"
    QMap<int, double> widths;      // by column from 1
    bool anyFormula = false;
    QString error;

    QString text(const QString &reference) const { return cells.value(reference).text; }
    // The references of the cells in one row, in order.
    QStringList row(int number) const
    {
        QStringList refs;
        for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
            QString digits = it.key();
            while (!digits.isEmpty() && digits.front().isLetter())
                digits.remove(0, 1);
            if (digits.toInt() == number)
                refs << it.key();
        }
        return refs;
    }
};

inline QByteArray unzipMember(const QString &archive, const QString &member, QString *error)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    if (!unzip.waitForFinished(60000) || unzip.exitStatus() != QProcess::NormalExit ||
        unzip.exitCode() != 0) {
        *error = QStringLiteral("unzip failed for %1: %2")
                     .arg(member, QString::fromLocal8Bit(unzip.readAllStandardError()));
        return {};
    }
    return unzip.readAllStandardOutput();
}

inline QStringList readSharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    QString current;
    bool inItem = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si")) {
            inItem = true;
            current.clear();
        } else if (inItem && reader.isStartElement() && reader.name() == QLatin1String("t")) {
            current += reader.readElementText();
        } else if (reader.isEndElement() && reader.name() == QLatin1String("si")) {
            strings << current;
            inItem = false;
        }
    }
    return strings;
}

// Undoes the _xHHHH_ escapes by which a sheet keeps characters that XML
// cannot carry (or would change, such as CR).
inline QString unescapeOoxml(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// For each cell style (cellXfs) of styles.xml, whether it wraps text.
inline QList<bool> readWrappingStyles(const QByteArray &xml)
{
    QList<bool> wraps;
    QXmlStreamReader reader(xml);
    bool inCellStyles = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.name() == QLatin1String("cellXfs"))
            inCellStyles = reader.isStartElement();
        else if (inCellStyles && reader.isStartElement() && reader.name() == QLatin1String("xf"))
            wraps.append(false);
        else if (inCellStyles && reader.isStartElement() &&
                 reader.name() == QLatin1String("alignment") && !wraps.isEmpty())
            wraps.back() = reader.attributes().value(QLatin1String("wrapText")) == u'1';
    }
    return wraps;
}

inline XlsxSheet readFirstSheet(const QString &archive)
{
    XlsxSheet sheet;
    const QByteArray xml =
        unzipMember(archive, QStringLiteral("xl/worksheets/sheet1.xml"), &sheet.error);
    if (!sheet.error.isEmpty())
        return sheet;
    QStringList shared;
    QString ignored;
    const QByteArray sst = unzipMember(archive, QStringLiteral("xl/sharedStrings.xml"), &ignored);
    if (!sst.isEmpty())
        shared = readSharedStrings(sst);
    const QList<bool> wrapping =
        readWrappingStyles(unzipMember(archive, QStringLiteral("xl/styles.xml"), &ignored));

    QXmlStreamReader reader(xml);
    QString reference;
    XlsxCell cell;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() && !reader.isEndElement())
            continue;
        const auto name = reader.name();
        if (reader.isStartElement() && name == QLatin1String("col")) {
            const auto attrs = reader.attributes();
            const int min = attrs.value(QLatin1String("min")).toInt();
            const int max = attrs.value(QLatin1String("max")).toInt();
            for (int c = min; c <= max; ++c)
                sheet.widths[c] = attrs.value(QLatin1String("width")).toDouble();
        } else if (reader.isStartElement() && name == QLatin1String("c")) {
            reference = reader.attributes().value(QLatin1String("r")).toString();
            cell = XlsxCell();
            cell.type = reader.attributes().value(QLatin1String("t")).toString();
            cell.wrapped = wrapping.value(reader.attributes().value(QLatin1String("s")).toInt());
        } else if (reader.isStartElement() && name == QLatin1String("f")) {
            cell.formula = true;
            sheet.anyFormula = true;
        } else if (reader.isStartElement() && name == QLatin1String("v")) {
            const QString value = reader.readElementText();
            cell.text = cell.type == QLatin1String("s") ? shared.value(value.toInt()) : value;
        } else if (reader.isStartElement() && name == QLatin1String("t")) {
            cell.text += reader.readElementText();
        } else if (reader.isEndElement() && name == QLatin1String("c")) {
            cell.text = unescapeOoxml(cell.text);
            sheet.cells.insert(reference, cell);
        }
    }
    if (reader.hasError())
        sheet.error = reader.errorString();
    return sheet;
}

} // namespace Quillfen::Testing

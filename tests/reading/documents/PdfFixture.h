#pragma once

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

using namespace Qt::StringLiterals;

// PDFs written with QPdfWriter as a word processor lays pages out: words
// filled greedily into lines of a column, "\n" a line break, "|" in a word a place where it
// may be hyphenated at a line end, paragraphs apart by a gap or by a
// first-line indent, and on request a running header and a page number
// on every page.
struct PdfPlan
{
    QStringList paragraphs;
    double paragraphGap = 8;
    double indent = 0;
    bool running = false;
    double pageBottom = 760;
};

struct WrittenPdf
{
    QByteArray bytes;
    int hyphenatedLineEnds = 0;
    int pages = 1;
};

inline WrittenPdf writePdf(const PdfPlan &plan)
{
    constexpr double Left = 72, Width = 300, Top = 100, LineHeight = 14.4;
    WrittenPdf written;
    QBuffer buffer(&written.bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(12);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const auto decorate = [&] {
        if (!plan.running)
            return;
        painter.drawText(QPointF(Left, 50), QStringLiteral("The Running Header of the Book"));
        painter.drawText(QPointF(Left + Width / 2, 800), QString::number(written.pages));
    };
    decorate();
    double y = Top;
    const auto newLine = [&] {
        y += LineHeight;
        if (y > plan.pageBottom) {
            writer.newPage();
            ++written.pages;
            decorate();
            y = Top;
        }
    };
    for (const QString &paragraph : plan.paragraphs) {
        QString line;
        double x0 = Left + plan.indent;
        const auto draw = [&] {
            painter.drawText(QPointF(x0, y), line);
            line.clear();
            x0 = Left;
            newLine();
        };
        // "\n" is a line break: the line ends there, with no gap.
        for (const QString &word : QString(paragraph).replace(u'\n', u" \n "_s).split(u' ')) {
            if (word == u"\n"_s) {
                draw();
                continue;
            }
            const QString whole = QString(word).remove(u'|');
            const QString joined = line.isEmpty() ? whole : line + u' ' + whole;
            if (x0 + metrics.horizontalAdvance(joined) <= Left + Width) {
                line = joined;
                continue;
            }
            // The longest head of the word that fits, hyphenated.
            const QStringList parts = word.split(u'|');
            QString head;
            int used = 0;
            for (int k = 1; k < parts.size(); ++k) {
                const QString candidate = parts.mid(0, k).join(QString()) + u'-';
                const QString withHead = line.isEmpty() ? candidate : line + u' ' + candidate;
                if (x0 + metrics.horizontalAdvance(withHead) > Left + Width)
                    break;
                head = withHead;
                used = k;
            }
            if (used > 0) {
                line = head;
                ++written.hyphenatedLineEnds;
                draw();
                line = parts.mid(used).join(QString());
            } else {
                draw();
                line = whole;
            }
        }
        draw();
        y += plan.paragraphGap;
    }
    painter.end();
    return written;
}

// A PDF written by hand: objects in order (numbered from 1), the trailer's
// extra entries, and a cross-reference table that points at them.
inline QByteArray rawPdf(const QList<QByteArray> &objects, const QByteArray &trailerExtra = {})
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R " +
           trailerExtra + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

inline QByteArray streamObject(const QByteArray &dictionary, const QByteArray &content)
{
    return "<< " + dictionary + " /Length " + QByteArray::number(content.size()) + " >>\nstream\n" +
           content + "\nendstream";
}

// A page whose content draws text through forms nested levels deep, each
// drawing the one below fanOut times: fanOut^levels words, more than any
// page should take to read.
// With a text page first when firstPageText is given.
inline QByteArray nestedFormsPdf(int levels, int fanOut, const QByteArray &firstPageText = {})
{
    QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        firstPageText.isEmpty() ? "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
                                : "<< /Type /Pages /Kids [LEAD 3 0 R] /Count 2 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources "
        "<< /XObject << /X 5 0 R >> >> >>",
        streamObject({}, "/X Do"),
    };
    // Object 5 + k is the form k levels down; the last one shows text.
    const QByteArray form = "/Type /XObject /Subtype /Form /BBox [0 0 612 792] ";
    for (int k = 0; k <= levels; ++k) {
        const QByteArray below = QByteArray::number(6 + k) + " 0 R";
        QByteArray content = "BT /F 12 Tf 72 700 Td (word ) Tj ET";
        if (k < levels) {
            content.clear();
            for (int n = 0; n < fanOut; ++n)
                content += "/X Do ";
        }
        objects.append(streamObject(form + "/Resources << " +
                                        (k < levels ? "/XObject << /X " : "/Font << /F ") + below +
                                        " >> >>",
                                    content));
    }
    objects.append("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    if (!firstPageText.isEmpty()) {
        const QByteArray font = QByteArray::number(objects.size()) + " 0 R";
        const QByteArray page = QByteArray::number(objects.size() + 1) + " 0 R";
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " +
                       QByteArray::number(objects.size() + 2) + " 0 R /Resources << /Font << /F " +
                       font + " >> >> >>");
        objects.append(streamObject({}, "BT /F 12 Tf 72 700 Td (" + firstPageText + ") Tj ET"));
        objects[1].replace("LEAD", page);
    }
    return rawPdf(objects);
}

// A page with no text on it, only a filled square, as a scan's page is
// an image.
inline QByteArray pageWithoutTextPdf()
{
    return rawPdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
                   streamObject({}, "0 0 0 rg 72 72 400 400 re f")});
}

// One page of text behind the standard security handler with a user
// password no one knows.
inline QByteArray encryptedPdf()
{
    const QByteArray key32 = QByteArray(32, '\x5A').toHex();
    return rawPdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
                   streamObject({}, "BT /F 12 Tf 72 700 Td (secret) Tj ET"),
                   "<< /Filter /Standard /V 1 /R 2 /O <" + key32 + "> /U <" + key32 + "> /P -4 >>"},
                  "/Encrypt 5 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> "
                  "<0123456789ABCDEF0123456789ABCDEF>]");
}

// One page of text whose page tree claims pages more pages, with a
// cross-reference stream that claims as many objects so that poppler
// believes the count.
inline QByteArray manyPagesClaimedPdf(int pages)
{
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count " + QByteArray::number(pages) + " >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources "
        "<< /Font << /F 5 0 R >> >> >>",
        streamObject({}, "BT /F 12 Tf 72 700 Td (The only page) Tj ET"),
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    QByteArray pdf = "%PDF-1.5\n";
    // Entries of 1 + 4 + 1 bytes: type, offset, generation.
    const auto entry = [](char type, qsizetype offset, char generation) -> QByteArray {
        QByteArray row(1, type);
        for (int shift = 24; shift >= 0; shift -= 8)
            row += char((offset >> shift) & 0xff);
        row += generation;
        return row;
    };
    QByteArray rows = entry(0, 0, char(0xff));
    for (qsizetype i = 0; i < objects.size(); ++i) {
        rows += entry(1, pdf.size(), 0);
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    rows += entry(1, xref, 0);
    pdf += QByteArray::number(objects.size() + 1) + " 0 obj\n" +
           streamObject("/Type /XRef /Size " + QByteArray::number(pages) + " /Index [0 " +
                            QByteArray::number(objects.size() + 2) + "] /W [1 4 1] /Root 1 0 R",
                        rows) +
           "\nendobj\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// A page that is only an image of text, as a scanner makes it: the
// paragraphs painted in a 300 dpi picture, turned clockwise by quarterTurns
// quarters, and that picture drawn on the page.
inline QByteArray scannedPdf(const QStringList &paragraphs, int quarterTurns)
{
    constexpr int Dpi = 300;
    QImage picture(int(8.27 * Dpi), int(11.69 * Dpi), QImage::Format_Grayscale8);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPixelSize(12 * Dpi / 72);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRectF column(Dpi, Dpi, picture.width() - 2 * Dpi, picture.height() - 2 * Dpi);
        QRectF used;
        QRectF rest = column;
        for (const QString &paragraph : paragraphs) {
            painter.drawText(rest, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, paragraph,
                             &used);
            rest.setTop(used.bottom() + font.pixelSize());
        }
    }
    picture = picture.transformed(QTransform().rotate(90.0 * quarterTurns));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(Dpi);
    writer.setPageSize(QPageSize(
        QSizeF(picture.width() * 72.0 / Dpi, picture.height() * 72.0 / Dpi), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.drawImage(QPointF(0, 0), picture);
    painter.end();
    return bytes;
}

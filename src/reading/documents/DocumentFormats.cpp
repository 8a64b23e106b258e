#include "DocumentFormats.h"

#include "DocumentFailure.h"
#include "EpubText.h"
#include "OfficeText.h"
#include "PdfText.h"
#include "platform/Failure.h"
#include "platform/FileReading.h"
#include "reading/TextDecoding.h"
#include "reading/encodings/TextFileDecoding.h"
#include "reading/html/HtmlRendering.h"

#include <QFile>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// A zip archive whose first entry, stored first as the packaging rules of
// the format require, is "mimetype" holding the media type.
bool hasMimetypeEntry(QByteArrayView head, QByteArrayView mediaType)
{
    constexpr QByteArrayView Prefix("PK\x03\x04", 4);
    if (!head.startsWith(Prefix) || head.size() < 30)
        return false;
    const auto *p = reinterpret_cast<const uchar *>(head.data());
    const qsizetype nameLength = p[26] | (p[27] << 8);
    const qsizetype extraLength = p[28] | (p[29] << 8);
    const QByteArrayView rest = head.sliced(30);
    if (nameLength != 8 || !rest.startsWith("mimetype"))
        return false;
    const qsizetype dataStart = 8 + extraLength;
    return rest.size() >= dataStart + mediaType.size() &&
           rest.sliced(dataStart).startsWith(mediaType);
}

bool isOdt(QByteArrayView head)
{
    return hasMimetypeEntry(head, "application/vnd.oasis.opendocument.text");
}

bool isEpub(QByteArrayView head)
{
    return hasMimetypeEntry(head, "application/epub+zip");
}

// Word and the other writers of .docx put one of the package's own parts
// first.
bool isDocx(QByteArrayView head)
{
    if (!head.startsWith("PK\x03\x04") || head.size() < 30)
        return false;
    const auto *p = reinterpret_cast<const uchar *>(head.data());
    const qsizetype nameLength = p[26] | (p[27] << 8);
    const QByteArrayView name = head.sliced(30).first(std::min(nameLength, head.size() - 30));
    return name == "[Content_Types].xml" || name.startsWith("word/") || name == "_rels/.rels";
}

// Whether the bytes before a PDF header are the short junk readers
// tolerate (a few binary bytes, white space), not the text of a page or a
// file that only mentions "%PDF-".
bool isJunkBeforeHeader(QByteArrayView prefix)
{
    bool binary = false;
    bool text = false;
    for (const char c : prefix) {
        const auto u = uchar(c);
        if (c == '<')
            return false; // markup
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f')
            continue;
        if (u < 0x20 || u == 0x7f)
            binary = true;
        else
            text = true;
    }
    return binary || !text;
}

// An object ("12 0 obj") after the header: the rest agrees that it is a PDF.
bool hasObjectAfter(QByteArrayView head, qsizetype from)
{
    for (qsizetype at = head.indexOf(" obj", from); at >= 0; at = head.indexOf(" obj", at + 4)) {
        qsizetype i = at;
        qsizetype generationDigits = 0;
        while (i > from && head[i - 1] >= '0' && head[i - 1] <= '9') {
            --i;
            ++generationDigits;
        }
        if (generationDigits > 0 && i > from + 1 && head[i - 1] == ' ' && head[i - 2] >= '0' &&
            head[i - 2] <= '9')
            return true;
    }
    return false;
}

// "%PDF-" and a version at the start; after junk (within the first
// kilobyte, as readers allow) only when the junk is no text and an object
// follows.
bool isPdf(QByteArrayView head)
{
    head = head.first(std::min(head.size(), SignatureBytes));
    const qsizetype at = head.indexOf("%PDF-");
    if (at < 0)
        return false;
    if (at == 0)
        return true;
    const bool versioned = at + 5 < head.size() && head[at + 5] >= '1' && head[at + 5] <= '9';
    return versioned && isJunkBeforeHeader(head.first(at)) && hasObjectAfter(head, at + 5);
}

QString htmlText(QByteArray bytes, const QString &, const ReadingChoices &)
{
    return renderedTextOfHtml(bytes);
}

constexpr QStringView TextExtensions[] = {u"txt"};
constexpr QStringView HtmlExtensions[] = {u"htm", u"html"};
constexpr QStringView DocxExtensions[] = {u"docx"};
constexpr QStringView OdtExtensions[] = {u"odt"};
constexpr QStringView EpubExtensions[] = {u"epub"};
constexpr QStringView PdfExtensions[] = {u"pdf"};

QString readDocx(QByteArray bytes, const QString &path, const ReadingChoices &)
{
    return readDocumentBytes(path, [&] { return docxTextOfBytes(std::move(bytes)); });
}

QString readOdt(QByteArray bytes, const QString &path, const ReadingChoices &)
{
    return readDocumentBytes(path, [&] { return odtTextOfBytes(std::move(bytes)); });
}

QString readEpub(QByteArray bytes, const QString &path, const ReadingChoices &)
{
    return readDocumentBytes(path, [&] { return epubTextOfBytes(std::move(bytes)); });
}

QString readPdf(QByteArray bytes, const QString &path, const ReadingChoices &choices)
{
    return readDocumentBytes(path, [&] { return pdfTextOfBytes(bytes, choices); });
}

const DocumentFormat Formats[] = {
    {u"text", TextExtensions, nullptr, nullptr}, {u"html", HtmlExtensions, nullptr, htmlText},
    {u"docx", DocxExtensions, isDocx, readDocx}, {u"odt", OdtExtensions, isOdt, readOdt},
    {u"epub", EpubExtensions, isEpub, readEpub}, {u"pdf", PdfExtensions, isPdf, readPdf},
};

// Opened as every input is: a FIFO or a device is never waited on.
QByteArray headOf(const QString &path)
{
    try {
        FileBlocks file(path);
        QByteArray head;
        file.read(head, SignatureBytes);
        return head;
    } catch (const Failure &) {
        return {};
    }
}

} // namespace

const DocumentFormat &plainTextFormat()
{
    return Formats[0];
}

const DocumentFormat &formatOfName(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0)
        return plainTextFormat();
    const QStringView extension = QStringView(path).sliced(dot + 1);
    for (const DocumentFormat &format : Formats) {
        for (const QStringView known : format.extensions) {
            if (extension.compare(known, Qt::CaseInsensitive) == 0)
                return format;
        }
    }
    return plainTextFormat();
}

const DocumentFormat &formatOf(const QString &path, QByteArrayView head)
{
    for (const DocumentFormat &format : Formats) {
        if (format.hasSignature && format.hasSignature(head))
            return format;
    }
    return formatOfName(path);
}

const DocumentFormat &formatOfFile(const QString &path)
{
    return formatOf(path, headOf(path));
}

bool isKnownDocument(const DocumentFormat &format)
{
    return format.readText != nullptr;
}

QStringList addFilesPatterns()
{
    QStringList patterns;
    for (const DocumentFormat &format : Formats) {
        for (const QStringView extension : format.extensions)
            patterns << u"*."_s + extension;
    }
    return patterns;
}

QString addFilesFilter()
{
    return u"Documents ("_s + addFilesPatterns().join(u' ') + u')';
}

QString readDocumentText(const QString &path, const ReadingChoices &choices)
{
    QByteArray bytes = readWholeFile(path);
    const DocumentFormat &format = formatOf(path, bytes);
    if (format.readText)
        return format.readText(std::move(bytes), path, choices);
    return decodeTextOfFile(path, bytes, choices.encoding);
}

} // namespace Quillfen

#pragma once

#include <QByteArray>
#include <QList>
#include <utility>
#include <zip.h>

// A zip archive made in memory from entries, in order. The first entry is
// stored as the packaging of .odt and .epub wants its "mimetype".
struct ZipEntry
{
    QByteArray name;
    QByteArray bytes;
    bool encrypted = false;
};

inline QByteArray zipOf(const QList<ZipEntry> &entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ZipEntry &entry = entries[i];
        zip_source_t *source = zip_source_buffer(archive, entry.bytes.constData(),
                                                 zip_uint64_t(entry.bytes.size()), 0);
        const zip_int64_t index =
            zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_UTF_8);
        if (i == 0)
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
        if (entry.encrypted)
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_AES_256, "secret");
    }
    zip_close(archive);
    QByteArray bytes;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    bytes.resize(qsizetype(zip_source_tell(buffer)));
    zip_source_seek(buffer, 0, SEEK_SET);
    zip_source_read(buffer, bytes.data(), zip_uint64_t(bytes.size()));
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

inline void putLittleEndian32(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// The archive with the unpacked size of every entry claimed to be claimed,
// in the local headers and in the central directory.
inline QByteArray withClaimedSizes(QByteArray zip, quint32 claimed)
{
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        putLittleEndian32(zip, at + 22, claimed);
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        putLittleEndian32(zip, at + 24, claimed);
    return zip;
}

inline const QByteArray WordNamespace =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";

// A .docx of a body (what goes inside w:body) and, when given, footnotes
// (what goes inside w:footnotes), linked as Word links them.
inline QByteArray docxOf(const QByteArray &body, const QByteArray &footnotes = {},
                         const QByteArray &prolog = {})
{
    QList<ZipEntry> entries{
        {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas."
                                "openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
         "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
         "openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + prolog +
                                  "<w:document " + WordNamespace + "><w:body>" + body +
                                  "</w:body></w:document>"},
    };
    if (!footnotes.isEmpty()) {
        entries.append(
            ZipEntry{"word/_rels/document.xml.rels",
                     "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas."
                     "openxmlformats.org/package/2006/relationships\"><Relationship "
                     "Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                     "2006/relationships/footnotes\" Target=\"footnotes.xml\"/>"
                     "</Relationships>"});
        entries.append(ZipEntry{"word/footnotes.xml", "<?xml version=\"1.0\"?><w:footnotes " +
                                                          WordNamespace + ">" + footnotes +
                                                          "</w:footnotes>"});
    }
    return zipOf(entries);
}

// An .odt of what goes inside office:text.
inline QByteArray odtOf(const QByteArray &text, const QByteArray &manifest = {})
{
    const QByteArray content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
        "<office:automatic-styles><text:p>not text</text:p></office:automatic-styles>"
        "<office:body><office:text>" +
        text + "</office:text></office:body></office:document-content>";
    QList<ZipEntry> entries{{"mimetype", "application/vnd.oasis.opendocument.text"},
                            {"content.xml", content}};
    if (!manifest.isEmpty())
        entries.append(ZipEntry{"META-INF/manifest.xml", manifest});
    return zipOf(entries);
}

// An EPUB whose package is OEBPS/content.opf; chapters are (href, XHTML).
inline QByteArray epubOf(const QByteArray &manifest, const QByteArray &spine,
                         const QList<std::pair<QByteArray, QByteArray>> &chapters,
                         const QByteArray &packagePath = "OEBPS/content.opf")
{
    QList<ZipEntry> entries{
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<?xml version=\"1.0\"?><container version=\"1.0\" xmlns=\"urn:oasis:names:tc:"
         "opendocument:xmlns:container\"><rootfiles><rootfile full-path=\"" +
             packagePath +
             "\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>"},
        {"OEBPS/content.opf", "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/"
                              "2007/opf\" version=\"3.0\"><manifest>" +
                                  manifest + "</manifest><spine>" + spine + "</spine></package>"},
    };
    for (const auto &[href, page] : chapters)
        entries.append(ZipEntry{"OEBPS/" + href, page});
    return zipOf(entries);
}

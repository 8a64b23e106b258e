#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct zip;
struct zip_source;

namespace Quillfen {

// The most a document's entries may unpack to: 1 GB, or 100 times the
// archive's own size when that is less.
qint64 unpackedByteLimit(qint64 archiveBytes);

// A zip archive read with libzip from bytes in memory (the file is read
// once, by the caller; libzip never opens it).
// Entry names are only ever looked up in the archive, never used as file
// names. Every entry read counts against unpackedByteLimit; past it the
// read throws Failure. Failures carry a reason ("it is damaged: ...", "it
// is encrypted"); readers name the file.
class ZipContainer
{
public:
    explicit ZipContainer(QByteArray bytes);
    ~ZipContainer();
    ZipContainer(const ZipContainer &) = delete;
    ZipContainer &operator=(const ZipContainer &) = delete;

    bool contains(const QByteArray &name) const;
    // The entry's unpacked bytes; nothing when there is no such entry.
    std::optional<QByteArray> read(const QByteArray &name);
    // The same for an entry the document cannot do without.
    QByteArray readRequired(const QByteArray &name);

    qint64 unpackedSoFar() const { return m_unpacked; }

private:
    void openSource(::zip_source *source);

    QByteArray m_bytes; // kept while libzip reads from them
    ::zip *m_archive = nullptr;
    qint64 m_limit = 0;
    qint64 m_unpacked = 0;
};

// The entry that a link written in entry base names: relative to base's
// folder, "." and ".." taken as the text they are, percent escapes
// decoded, a fragment or query dropped. Empty when it climbs out of the
// archive or is absolute with a scheme.
QByteArray resolveEntryName(const QByteArray &base, const QByteArray &link);

} // namespace Quillfen

#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

struct zip;
struct zip_file;
struct zip_source;

namespace Quillfen {

// How much a document's entries may inflate to, counted on the bytes
// actually inflated (never on what the archive's headers claim, nor on the
// archive's size, which an entry never read can pad). The defaults leave
// room for documents of 300 MB of XML and more; a zip bomb stops there.
struct ZipBudget
{
    qint64 entryBytes = qint64(400) << 20;    // one entry
    qint64 documentBytes = qint64(800) << 20; // all entries read, together
};

// A zip archive read with libzip from bytes in memory (the file is read
// once, by the caller; libzip never opens it).
// Entry names are only ever looked up in the archive, never used as file
// names. Entries are inflated as a stream that stops at the budget, past
// which the read throws Failure. Failures carry a reason ("it is damaged:
// ...", "it is encrypted"); readers name the file.
class ZipEntryStream;

class ZipContainer
{
public:
    explicit ZipContainer(QByteArray bytes, ZipBudget budget = {});
    ~ZipContainer();
    ZipContainer(const ZipContainer &) = delete;
    ZipContainer &operator=(const ZipContainer &) = delete;

    bool contains(const QByteArray &name) const;
    // The entry's unpacked bytes; nothing when there is no such entry.
    std::optional<QByteArray> read(const QByteArray &name);
    // The same for an entry the document cannot do without.
    QByteArray readRequired(const QByteArray &name);
    // The entry to be inflated a piece at a time, under the same budgets;
    // nothing when there is no such entry. The archive must outlive it.
    std::unique_ptr<ZipEntryStream> open(const QByteArray &name);
    std::unique_ptr<ZipEntryStream> openRequired(const QByteArray &name);

    qint64 unpackedSoFar() const { return m_unpacked; }

private:
    friend class ZipEntryStream;
    std::unique_ptr<ZipEntryStream> openEntry(const QByteArray &name, qint64 *expected);
    [[noreturn]] void failOverBudget(const QByteArray &name, bool entry) const;

    QByteArray m_bytes; // kept while libzip reads from them
    ::zip *m_archive = nullptr;
    ZipBudget m_budget;
    qint64 m_unpacked = 0;
};

// One entry of a ZipContainer being inflated.
class ZipEntryStream
{
public:
    ZipEntryStream(ZipContainer &archive, ::zip_file *file, QByteArray name, qint64 budget,
                   bool entryBound);
    ~ZipEntryStream();
    ZipEntryStream(const ZipEntryStream &) = delete;
    ZipEntryStream &operator=(const ZipEntryStream &) = delete;

    // Appends the next bytes, up to 64 kB, to buffer and says true; says
    // false at the entry's end. Throws Failure past a budget or on damage.
    bool readMore(QByteArray &buffer);

    static constexpr qsizetype Chunk = 64 * 1024;

private:
    friend class ZipContainer;

    ZipContainer &m_archive;
    ::zip_file *m_file;
    QByteArray m_name;
    qint64 m_budget;
    bool m_entryBound;
    qint64 m_read = 0;
};

// The entry that a link written in entry base names: relative to base's
// folder, "." and ".." taken as the text they are, percent escapes
// decoded, a fragment or query dropped. Empty when it climbs out of the
// archive or is absolute with a scheme.
QByteArray resolveEntryName(const QByteArray &base, const QByteArray &link);

} // namespace Quillfen

#include "ZipContainer.h"

#include "ZipLibrary.h"
#include "platform/Failure.h"

#include <QUrl>
#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

[[noreturn]] void failDamaged(const QString &detail)
{
    throw Failure(u"it is damaged: "_s + detail);
}

// What an error means for the document, in words; libzip's own text, with
// the system's or zlib's detail it carries, for the rarer ones.
QString reasonOf(int code, int systemCode)
{
    switch (code) {
    case ZIP_ER_CRC:
        return u"its data does not match its checksum"_s;
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return u"its compressed data is corrupt"_s;
    case ZIP_ER_COMPNOTSUPP:
        return u"it is compressed by a method that cannot be read"_s;
    case ZIP_ER_INCONS:
        return u"the archive's directory does not agree with its entries"_s;
    case ZIP_ER_EOF:
    case ZIP_ER_SEEK:
    case ZIP_ER_READ:
    case ZIP_ER_INVAL:
        return u"the archive ends before its data"_s;
    default:
        break;
    }
    zip_error_t error;
    zipFunctions().errorInit(&error);
    zipFunctions().errorSet(&error, code, systemCode);
    const QString text = QString::fromLocal8Bit(zipFunctions().errorStrerror(&error));
    zipFunctions().errorFini(&error);
    return text;
}

bool isEncryption(int code)
{
    return code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP;
}

// A failure reading the entry name (or the archive, when name is empty).
[[noreturn]] void failForError(int code, int systemCode, const QByteArray &name = {})
{
    if (isEncryption(code))
        throw Failure(u"it is encrypted"_s);
    if (code == ZIP_ER_NOZIP)
        failDamaged(u"it is not a complete zip archive"_s);
    const QString reason = reasonOf(code, systemCode);
    failDamaged(name.isEmpty() ? reason : QString::fromUtf8(name) + u": "_s + reason);
}

[[noreturn]] void failForError(zip_error_t *error, const QByteArray &name = {})
{
    failForError(zipFunctions().errorCodeZip(error), zipFunctions().errorCodeSystem(error), name);
}

// "400 MB", or the bytes when they are no whole number of megabytes.
QString sizeText(qint64 bytes)
{
    if (bytes % (1 << 20) == 0)
        return QString::number(bytes >> 20) + u" MB"_s;
    return QString::number(bytes) + u" bytes"_s;
}

// The largest ratio deflate reaches (a run of one byte): what an entry can
// really hold, whatever its header says.
constexpr qint64 DeflateMostRatio = 1032;

} // namespace

ZipContainer::ZipContainer(QByteArray bytes, ZipBudget budget)
    : m_bytes(std::move(bytes)), m_budget(budget)
{
    zip_error_t error;
    zipFunctions().errorInit(&error);
    zip_source_t *source = zipFunctions().sourceBufferCreate(
        m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (!source) {
        zipFunctions().errorFini(&error);
        throw std::bad_alloc();
    }
    m_archive = zipFunctions().openFromSource(source, ZIP_RDONLY, &error);
    if (!m_archive) {
        zipFunctions().sourceFree(source);
        const int code = zipFunctions().errorCodeZip(&error);
        const int systemCode = zipFunctions().errorCodeSystem(&error);
        zipFunctions().errorFini(&error);
        failForError(code, systemCode);
    }
    zipFunctions().errorFini(&error);
}

ZipContainer::~ZipContainer()
{
    if (m_archive)
        zipFunctions().discard(m_archive);
}

bool ZipContainer::contains(const QByteArray &name) const
{
    return !name.isEmpty() &&
           zipFunctions().nameLocate(m_archive, name.constData(), ZIP_FL_ENC_RAW) >= 0;
}

void ZipContainer::failOverBudget(const QByteArray &name, bool entry) const
{
    if (entry)
        throw Failure(u"its part "_s + QString::fromUtf8(name) + u" unpacks to more than "_s +
                      sizeText(m_budget.entryBytes) + u" (a zip bomb?)"_s);
    throw Failure(u"its parts unpack to more than "_s + sizeText(m_budget.documentBytes) +
                  u" together (a zip bomb?)"_s);
}

std::unique_ptr<ZipEntryStream> ZipContainer::open(const QByteArray &name)
{
    return openEntry(name, nullptr);
}

std::unique_ptr<ZipEntryStream> ZipContainer::openRequired(const QByteArray &name)
{
    if (auto entry = open(name))
        return entry;
    failDamaged(u"it has no "_s + QString::fromUtf8(name));
}

// expected, when given, gets what the headers say the entry holds, never
// more than deflate can give for its compressed bytes within the budget.
std::unique_ptr<ZipEntryStream> ZipContainer::openEntry(const QByteArray &name, qint64 *expected)
{
    if (name.isEmpty())
        return nullptr;
    const zip_int64_t index =
        zipFunctions().nameLocate(m_archive, name.constData(), ZIP_FL_ENC_RAW);
    if (index < 0)
        return nullptr;
    zip_stat_t stat;
    zipFunctions().statInit(&stat);
    if (zipFunctions().statIndex(m_archive, zip_uint64_t(index), 0, &stat) == 0) {
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            throw Failure(u"it is encrypted"_s);
    }
    const qint64 documentLeft = m_budget.documentBytes - m_unpacked;
    const qint64 budget = std::min(m_budget.entryBytes, documentLeft);
    const bool entryBound = m_budget.entryBytes <= documentLeft;
    // A size the header states past the budget is refused before any
    // inflating; a smaller one may lie, so the bytes are counted as they
    // come and the room made for them follows what came.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(budget))
        failOverBudget(name, entryBound);
    if (expected && (stat.valid & ZIP_STAT_SIZE) && (stat.valid & ZIP_STAT_COMP_SIZE))
        *expected = std::min<qint64>(qint64(stat.size),
                                     qint64(std::min<zip_uint64_t>(stat.comp_size, budget)) *
                                         DeflateMostRatio);
    zip_file_t *file = zipFunctions().fopenIndex(m_archive, zip_uint64_t(index), 0);
    if (!file)
        failForError(zipFunctions().getError(m_archive), name);
    return std::make_unique<ZipEntryStream>(*this, file, name, budget, entryBound);
}

std::optional<QByteArray> ZipContainer::read(const QByteArray &name)
{
    qint64 expected = 0;
    const std::unique_ptr<ZipEntryStream> entry = openEntry(name, &expected);
    if (!entry)
        return std::nullopt;
    QByteArray bytes;
    // One chunk more than expected, to meet the end without growing.
    bytes.reserve(qsizetype(std::min(expected, entry->m_budget)) + ZipEntryStream::Chunk);
    while (entry->readMore(bytes)) {
    }
    return bytes;
}

ZipEntryStream::ZipEntryStream(ZipContainer &archive, zip_file *file, QByteArray name,
                               qint64 budget, bool entryBound)
    : m_archive(archive), m_file(file), m_name(std::move(name)), m_budget(budget),
      m_entryBound(entryBound)
{}

ZipEntryStream::~ZipEntryStream()
{
    if (m_file)
        zipFunctions().fclose(m_file);
}

bool ZipEntryStream::readMore(QByteArray &buffer)
{
    if (!m_file)
        return false;
    const qsizetype filled = buffer.size();
    if (buffer.capacity() - filled < Chunk) {
        // Doubling, but never past what the budget leaves.
        const qint64 room =
            std::min<qint64>(2 * buffer.capacity(), filled + (m_budget - m_read) + Chunk);
        buffer.reserve(qsizetype(std::max<qint64>(room, filled + Chunk)));
    }
    buffer.resize(filled + Chunk);
    const zip_int64_t got = zipFunctions().fread(m_file, buffer.data() + filled, Chunk);
    if (got < 0) {
        buffer.resize(filled);
        const int code = zipFunctions().errorCodeZip(zipFunctions().fileGetError(m_file));
        const int systemCode = zipFunctions().errorCodeSystem(zipFunctions().fileGetError(m_file));
        zipFunctions().fclose(std::exchange(m_file, nullptr));
        failForError(code, systemCode, m_name);
    }
    buffer.resize(filled + qsizetype(got));
    m_read += got;
    m_archive.m_unpacked += got;
    if (m_read > m_budget) {
        zipFunctions().fclose(std::exchange(m_file, nullptr));
        m_archive.failOverBudget(m_name, m_entryBound);
    }
    if (got > 0)
        return true;
    const int closed = zipFunctions().fclose(std::exchange(m_file, nullptr));
    if (closed != 0)
        failForError(closed, 0, m_name);
    return false;
}

QByteArray ZipContainer::readRequired(const QByteArray &name)
{
    if (auto bytes = read(name))
        return *std::move(bytes);
    failDamaged(u"it has no "_s + QString::fromUtf8(name));
}

QByteArray resolveEntryName(const QByteArray &base, const QByteArray &link)
{
    QByteArray target = link;
    const qsizetype cut = target.indexOf('#');
    if (cut >= 0)
        target.truncate(cut);
    const qsizetype query = target.indexOf('?');
    if (query >= 0)
        target.truncate(query);
    target = QByteArray::fromPercentEncoding(target);
    if (target.isEmpty() || target.contains(':'))
        return {};
    QList<QByteArray> parts;
    if (!target.startsWith('/')) {
        parts = base.split('/');
        parts.removeLast(); // base's own name
    }
    for (const QByteArray &part : target.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.isEmpty())
                return {};
            parts.removeLast();
        } else {
            parts.append(part);
        }
    }
    return parts.join('/');
}

} // namespace Quillfen

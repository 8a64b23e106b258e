#include "ZipContainer.h"

#include "platform/Failure.h"

#include <QFileInfo>
#include <QUrl>

#include <zip.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

constexpr qint64 MaximumUnpackedBytes = qint64(1) << 30;
constexpr qint64 MaximumExpansion = 100;

[[noreturn]] void failDamaged(const QString &detail)
{
    throw Failure(u"it is damaged: "_s + detail);
}

QString errorText(zip_error_t *error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

[[noreturn]] void failForError(int code)
{
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
        throw Failure(u"it is encrypted"_s);
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = errorText(&error);
    zip_error_fini(&error);
    failDamaged(text);
}

QString megabytes(qint64 bytes)
{
    return QString::number(std::max<qint64>(1, bytes >> 20));
}

} // namespace

qint64 unpackedByteLimit(qint64 archiveBytes)
{
    return std::min(MaximumUnpackedBytes, MaximumExpansion * std::max<qint64>(archiveBytes, 0));
}

ZipContainer::ZipContainer(const QString &path)
{
    m_limit = unpackedByteLimit(QFileInfo(path).size());
    zip_error_t error;
    zip_error_init(&error);
    const QByteArray name = QFile::encodeName(path);
    zip_source_t *source = zip_source_file_create(name.constData(), 0, -1, &error);
    if (!source) {
        const QString text = errorText(&error);
        zip_error_fini(&error);
        throw Failure(text);
    }
    zip_error_fini(&error);
    openSource(source);
}

ZipContainer::ZipContainer(QByteArray bytes) : m_bytes(std::move(bytes))
{
    m_limit = unpackedByteLimit(m_bytes.size());
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    zip_error_fini(&error);
    if (!source)
        throw std::bad_alloc();
    openSource(source);
}

void ZipContainer::openSource(zip_source_t *source)
{
    zip_error_t error;
    zip_error_init(&error);
    m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_archive) {
        zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (code == ZIP_ER_NOZIP)
            failDamaged(u"it is not a complete zip archive"_s);
        failForError(code);
    }
    zip_error_fini(&error);
}

ZipContainer::~ZipContainer()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipContainer::contains(const QByteArray &name) const
{
    return !name.isEmpty() && zip_name_locate(m_archive, name.constData(), ZIP_FL_ENC_RAW) >= 0;
}

std::optional<QByteArray> ZipContainer::read(const QByteArray &name)
{
    if (name.isEmpty())
        return std::nullopt;
    const zip_int64_t index = zip_name_locate(m_archive, name.constData(), ZIP_FL_ENC_RAW);
    if (index < 0)
        return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) == 0) {
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            throw Failure(u"it is encrypted"_s);
    }
    const auto overLimit = [&] {
        return Failure(u"it unpacks to more than "_s + megabytes(m_limit)
                       + u" MB, 100 times its own size or 1 GB (a zip bomb?)"_s);
    };
    // The stated size may lie; the bytes read are counted as they come.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(m_limit - m_unpacked))
        throw overLimit();

    zip_file_t *file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file)
        failForError(zip_error_code_zip(zip_get_error(m_archive)));
    QByteArray bytes;
    if (stat.valid & ZIP_STAT_SIZE)
        bytes.reserve(qsizetype(stat.size));
    constexpr qsizetype Chunk = 64 * 1024;
    for (;;) {
        const qsizetype filled = bytes.size();
        bytes.resize(filled + Chunk);
        const zip_int64_t got = zip_fread(file, bytes.data() + filled, Chunk);
        if (got < 0) {
            const int code = zip_error_code_zip(zip_file_get_error(file));
            zip_fclose(file);
            failForError(code);
        }
        bytes.resize(filled + qsizetype(got));
        m_unpacked += got;
        if (m_unpacked > m_limit) {
            zip_fclose(file);
            throw overLimit();
        }
        if (got == 0)
            break;
    }
    const int closed = zip_fclose(file);
    if (closed != 0)
        failForError(closed);
    return bytes;
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

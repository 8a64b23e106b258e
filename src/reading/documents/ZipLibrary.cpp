#include "ZipLibrary.h"

#include "platform/Failure.h"

#include <QLibrary>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// libzip 1.x keeps the file name libzip.so.4.
static_assert(LIBZIP_VERSION_MAJOR == 1, "libzip's file name is libzip.so.4 for libzip 1.x");
constexpr int LibzipFileVersion = 4;

struct LoadedZip
{
    ZipFunctions functions{};
    QString failure;
};

template <typename Function> bool resolve(QLibrary &library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

LoadedZip load()
{
    LoadedZip loaded;
    // Never unloaded: archives are read until the process ends.
    QLibrary library(u"zip"_s, LibzipFileVersion);
    if (!library.load()) {
        loaded.failure = u"libzip is not installed: "_s + library.errorString();
        return loaded;
    }
    ZipFunctions &f = loaded.functions;
    const bool all = resolve(library, "zip_source_buffer_create", f.sourceBufferCreate) &&
                     resolve(library, "zip_source_free", f.sourceFree) &&
                     resolve(library, "zip_open_from_source", f.openFromSource) &&
                     resolve(library, "zip_discard", f.discard) &&
                     resolve(library, "zip_name_locate", f.nameLocate) &&
                     resolve(library, "zip_stat_init", f.statInit) &&
                     resolve(library, "zip_stat_index", f.statIndex) &&
                     resolve(library, "zip_fopen_index", f.fopenIndex) &&
                     resolve(library, "zip_fread", f.fread) &&
                     resolve(library, "zip_fclose", f.fclose) &&
                     resolve(library, "zip_get_error", f.getError) &&
                     resolve(library, "zip_file_get_error", f.fileGetError) &&
                     resolve(library, "zip_error_init", f.errorInit) &&
                     resolve(library, "zip_error_fini", f.errorFini) &&
                     resolve(library, "zip_error_set", f.errorSet) &&
                     resolve(library, "zip_error_strerror", f.errorStrerror) &&
                     resolve(library, "zip_error_code_zip", f.errorCodeZip) &&
                     resolve(library, "zip_error_code_system", f.errorCodeSystem);
    if (!all)
        loaded.failure = u"the libzip in "_s + library.fileName() + u" lacks functions it needs"_s;
    return loaded;
}

} // namespace

const ZipFunctions &zipFunctions()
{
    static const LoadedZip loaded = load();
    if (!loaded.failure.isEmpty())
        throw Failure(loaded.failure);
    return loaded.functions;
}

} // namespace Quillfen

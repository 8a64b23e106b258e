#pragma once

#include <zip.h>

namespace Quillfen {

// The libzip functions the zip reader calls, from libzip loaded at the first
// archive: libzip brings libcrypto, whose relocations alone cost each start
// of the programs about 1.5 ms, as much as the rest of a run on a short file.
struct ZipFunctions
{
    decltype(&zip_source_buffer_create) sourceBufferCreate;
    decltype(&zip_source_free) sourceFree;
    decltype(&zip_open_from_source) openFromSource;
    decltype(&zip_discard) discard;
    decltype(&zip_name_locate) nameLocate;
    decltype(&zip_stat_init) statInit;
    decltype(&zip_stat_index) statIndex;
    decltype(&zip_fopen_index) fopenIndex;
    decltype(&zip_fread) fread;
    decltype(&zip_fclose) fclose;
    decltype(&zip_get_error) getError;
    decltype(&zip_file_get_error) fileGetError;
    decltype(&zip_error_init) errorInit;
    decltype(&zip_error_fini) errorFini;
    decltype(&zip_error_set) errorSet;
    decltype(&zip_error_strerror) errorStrerror;
    decltype(&zip_error_code_zip) errorCodeZip;
    decltype(&zip_error_code_system) errorCodeSystem;
};

// Loads libzip once; throws Failure when it cannot ("libzip is not
// installed: ...").
const ZipFunctions &zipFunctions();

} // namespace Quillfen

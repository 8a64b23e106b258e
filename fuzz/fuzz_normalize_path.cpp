// Collapsing runs of "/" in a path.
#include "FuzzSupport.h"
#include "inputs/adding/PathTests.h"

using namespace Quillfen;
using QuillfenFuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString normal = collapseSlashes(path);
    require(!normal.contains(u"//"), "a run of slashes is left");
    require(collapseSlashes(normal) == normal, "not idempotent");
    QString withoutSlashes = path;
    withoutSlashes.remove(u'/');
    QString normalWithoutSlashes = normal;
    normalWithoutSlashes.remove(u'/');
    require(withoutSlashes == normalWithoutSlashes, "something besides slashes changed");
    require(path.contains(u'/') == normal.contains(u'/'), "a slash lost or added");
    return 0;
}

// An HTML page's rendered text: decoding, parsing and the walk. Small
// limits make the simpler reading of deep or large pages run too.
#include "FuzzSupport.h"
#include "reading/html/HtmlRendering.h"

using namespace Quillfen;
using QuillfenFuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const QByteArrayView page(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString text = (choice & 1) ? renderedTextOfHtml(page)
                                      : renderedTextOfHtml(page, HtmlLimits{400, 4096, 64});
    // Line ends are CR LF throughout.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            require(i > 0 && text[i - 1] == u'\r', "lone LF in the rendered text");
        if (text[i] == u'\r')
            require(i + 1 < text.size() && text[i + 1] == u'\n', "lone CR in the rendered text");
    }
    return 0;
}

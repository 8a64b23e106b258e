#include "PageOcr.h"

#include "LoadableModules.h"
#include "platform/Failure.h"

#include <mutex>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace Quillfen {

GrayImage turnedClockwise(const GrayImage &image, int quarterTurns)
{
    quarterTurns = ((quarterTurns % 4) + 4) % 4;
    if (quarterTurns == 0)
        return image;
    GrayImage turned;
    const bool sideways = quarterTurns % 2 == 1;
    turned.width = sideways ? image.height : image.width;
    turned.height = sideways ? image.width : image.height;
    turned.stride = turned.width;
    turned.pixels.resize(std::size_t(turned.width) * std::size_t(turned.height));
    for (int y = 0; y < image.height; ++y) {
        const unsigned char *row = image.pixels.data() + std::size_t(y) * std::size_t(image.stride);
        for (int x = 0; x < image.width; ++x) {
            int tx = x, ty = y;
            if (quarterTurns == 1) {
                tx = image.height - 1 - y;
                ty = x;
            } else if (quarterTurns == 2) {
                tx = image.width - 1 - x;
                ty = image.height - 1 - y;
            } else {
                tx = y;
                ty = image.width - 1 - x;
            }
            turned.pixels[std::size_t(ty) * std::size_t(turned.stride) + std::size_t(tx)] = row[x];
        }
    }
    return turned;
}

GrayImage halved(const GrayImage &image)
{
    GrayImage half;
    half.width = image.width / 2;
    half.height = image.height / 2;
    half.stride = half.width;
    half.pixels.resize(std::size_t(half.width) * std::size_t(half.height));
    for (int y = 0; y < half.height; ++y) {
        const unsigned char *top =
            image.pixels.data() + std::size_t(2 * y) * std::size_t(image.stride);
        const unsigned char *bottom = top + image.stride;
        unsigned char *out = half.pixels.data() + std::size_t(y) * std::size_t(half.stride);
        for (int x = 0; x < half.width; ++x)
            out[x] = static_cast<unsigned char>(
                (top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) / 4);
    }
    return half;
}

namespace {

struct Module
{
    QuillfenOcrProblem problem = nullptr;
    QuillfenMakePageOcr make = nullptr;
    QString failure;
};

const Module &module()
{
    static const Module loaded = [] {
        Module m;
        QFunctionPointer problem = nullptr;
        QFunctionPointer make = nullptr;
        m.failure = loadModule(u"quillfen-ocr.so"_s, "QUILLFEN_OCR_MODULE", u"OCR"_s,
                               {{"quillfenOcrProblem", &problem}, {"quillfenMakePageOcr", &make}});
        m.problem = reinterpret_cast<QuillfenOcrProblem>(problem);
        m.make = reinterpret_cast<QuillfenMakePageOcr>(make);
        return m;
    }();
    return loaded;
}

} // namespace

QString ocrProblem(const QString &languages)
{
    const Module &m = module();
    return m.failure.isEmpty() ? m.problem(languages) : m.failure;
}

PageOcr &pageOcrOfThisThread(const QString &languages)
{
    thread_local std::unordered_map<std::u16string, std::unique_ptr<PageOcr>> made;
    std::unique_ptr<PageOcr> &ocr = made[languages.toStdU16String()];
    if (!ocr) {
        const QString problem = ocrProblem(languages);
        if (!problem.isEmpty())
            throw Failure(problem);
        ocr.reset(module().make(languages));
        if (!ocr)
            throw Failure(u"Tesseract cannot load the models "_s + languages);
    }
    return *ocr;
}

} // namespace Quillfen

// The OCR module: Tesseract behind PageOcr (PageOcr.h), loaded only when
// OCR is asked for.
#include "PageOcr.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>
#if defined(_OPENMP)
#include <omp.h>
#endif

using namespace Qt::StringLiterals;

namespace Quillfen {
namespace {

// An engine reads its pages on one thread, with no OpenMP team of its own.
// Tesseract asks for teams of four in its LSTM layers: with -j N on N cores
// they only wait on each other (a run of four pages took 5x as long as with
// OMP_THREAD_LIMIT=1, which comes too late here: Qt Core has loaded
// libgomp, and with it its settings, before main). The level is this
// thread's, set where its engine is made.
void runsAlone()
{
#if defined(_OPENMP)
    omp_set_max_active_levels(0);
#endif
}

// Tesseract's warnings would land on the run's standard error.
bool quietInit(tesseract::TessBaseAPI &api, const char *languages,
               tesseract::OcrEngineMode mode = tesseract::OEM_DEFAULT)
{
    std::vector<std::string> names{"debug_file"};
    std::vector<std::string> values{"/dev/null"};
    return api.Init(nullptr, languages, mode, nullptr, 0, &names, &values, false) == 0;
}

QString debianPackage(const QString &language)
{
    return u"tesseract-ocr-"_s + QString(language).toLower().replace(u'_', u'-');
}

class TesseractOcr final : public PageOcr
{
public:
    bool load(const QString &languages)
    {
        runsAlone();
        return quietInit(m_orientation, "osd") &&
               quietInit(m_reader, languages.toUtf8().constData());
    }

    int quarterTurnsToUpright(const GrayImage &image, int dpi) override
    {
        m_orientation.SetImage(image.pixels.data(), image.width, image.height, 1, image.stride);
        m_orientation.SetSourceResolution(dpi);
        int degrees = 0;
        float confidence = 0;
        const char *script = nullptr;
        float scriptConfidence = 0;
        const bool told = m_orientation.DetectOrientationScript(&degrees, &confidence, &script,
                                                                &scriptConfidence);
        m_orientation.Clear();
        // Tesseract tells how far the page was turned clockwise.
        if (!told || confidence < 1.0f)
            return 0;
        return (4 - degrees / 90) % 4;
    }

    std::vector<OcrWord> words(const GrayImage &image, int dpi,
                               const std::function<bool()> &stop) override
    {
        m_reader.SetPageSegMode(tesseract::PSM_AUTO);
        m_reader.SetImage(image.pixels.data(), image.width, image.height, 1, image.stride);
        m_reader.SetSourceResolution(dpi);
        tesseract::ETEXT_DESC monitor;
        monitor.cancel = [](void *closure, int) {
            return (*static_cast<const std::function<bool()> *>(closure))();
        };
        monitor.cancel_this = const_cast<std::function<bool()> *>(&stop);
        std::vector<OcrWord> found;
        if (m_reader.Recognize(&monitor) == 0) {
            const std::unique_ptr<tesseract::ResultIterator> it(m_reader.GetIterator());
            if (it) {
                do {
                    const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
                    int left = 0, top = 0, right = 0, bottom = 0;
                    if (!text ||
                        !it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom))
                        continue;
                    found.push_back(
                        {QString::fromUtf8(text.get()).trimmed(),
                         QRectF(left, top, right - left, bottom - top),
                         it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD)});
                } while (it->Next(tesseract::RIL_WORD));
            }
        }
        m_reader.Clear();
        return found;
    }

private:
    tesseract::TessBaseAPI m_orientation;
    tesseract::TessBaseAPI m_reader;
};

} // namespace
} // namespace Quillfen

extern "C" __attribute__((visibility("default"))) QString
quillfenOcrProblem(const QString &languages)
{
    using namespace Quillfen;
    const QStringList names = languages.split(u'+');
    for (const QString &name : names) {
        if (name.isEmpty() || name.contains(u'/') || name.startsWith(u'.'))
            return u"\""_s + languages + u"\" is not a list of OCR models such as eng+deu"_s;
    }
    tesseract::TessBaseAPI probe;
    if (!quietInit(probe, "osd"))
        return u"OCR needs the orientation model: install the Debian package tesseract-ocr-osd"_s;
    const QString folder = QString::fromUtf8(probe.GetDatapath());
    for (const QString &name : names) {
        if (!QFileInfo::exists(QDir(folder).filePath(name + u".traineddata"_s)))
            return u"there is no OCR model \""_s + name + u"\": install the Debian package "_s +
                   debianPackage(name);
    }
    return {};
}

extern "C" __attribute__((visibility("default"))) Quillfen::PageOcr *
quillfenMakePageOcr(const QString &languages)
{
    auto ocr = std::make_unique<Quillfen::TesseractOcr>();
    return ocr->load(languages) ? ocr.release() : nullptr;
}

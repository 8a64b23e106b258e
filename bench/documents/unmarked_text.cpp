// unmarked_text [--windows-1252] FILE...: each file decoded as a text file
// without a mark that is not UTF-8 is decoded, by the detected legacy
// encoding (or Windows-1252 alone, as today), written as UTF-8. Times what
// detection adds.
#include "reading/TextDecoding.h"
#include "reading/encodings/LegacyEncoding.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool plain = !files.isEmpty() && files.first() == QStringLiteral("--windows-1252");
    if (plain)
        files.removeFirst();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        const QString text =
            plain ? Quillfen::decodeWindows1252(bytes) : Quillfen::decodeUnmarkedText(bytes);
        const QByteArray utf8 = text.toUtf8();
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    }
    return 0;
}

// Saves settings in a loop, as one of several programs sharing one settings
// file would. Every key a writer owns ends on a value it can predict, and
// every shared key holds a value some writer wrote:
//   settings_writer TAG COUNT
// writes, for i in 0..COUNT-1, "own-TAG-(i mod 5)" and "shared-(i mod 3)"
// to "TAG-i" followed by a long tail, so a torn write would show.

#include "platform/Failure.h"
#include "platform/SettingsArea.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return 2;
    const QString tag = arguments[1];
    const int count = arguments[2].toInt();
    Quillfen::IniSettingsArea area;
    QTextStream err(stderr);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const QString value = tag + u'-' + QString::number(i) + u' ' + QString(600, u'x');
        try {
            area.setValue(u"Tarnwick"_s, u"Quillfen"_s,
                          u"own-"_s + tag + u'-' + QString::number(i % 5), value);
            area.setValue(u"Tarnwick"_s, u"Quillfen"_s, u"shared-"_s + QString::number(i % 3),
                          value);
        } catch (const Quillfen::Failure &failure) {
            err << failure.description() << u'\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

#include "RunSummary.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString fileNameOfPath(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString runSummary(qsizetype rows, int files, int unread, double seconds)
{
    return rowsSummary(rows, rows, rows) + runSummaryTail(files, unread, seconds);
}

QString rowsSummary(qsizetype rows, qsizetype checked, qsizetype shown)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString text = rows == 1 ? u"1 row"_s : english.toString(rows) + u" rows"_s;
    if (checked != rows)
        text += u", "_s + english.toString(checked) + u" checked"_s;
    if (shown != rows)
        text += u", "_s + english.toString(shown) + u" shown"_s;
    return text;
}

QString runSummaryTail(int files, int unread, double seconds)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString text =
        files == 1 ? u" from 1 file"_s : u" from "_s + english.toString(files) + u" files"_s;
    if (unread > 0)
        text += u" ("_s + english.toString(unread) + u" could not be read)"_s;
    return text + u" in "_s + english.toString(seconds, 'f', 1) + u" s"_s;
}

QString unreadFilesHeading(std::size_t count)
{
    return count == 1 ? u"1 file could not be read:"_s
                      : u"%1 files could not be read:"_s.arg(count);
}

QString unreadFilesDetails(const std::vector<FileFailure> &failures)
{
    QStringList lines;
    lines.reserve(qsizetype(failures.size()));
    for (const FileFailure &failure : failures)
        lines << failureLine(failure);
    return lines.join(u'\n');
}

} // namespace Quillfen

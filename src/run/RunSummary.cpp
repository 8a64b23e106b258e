#include "RunSummary.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString FileNameOfPath(const QString &path)
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

QString unreadFilesReport(const std::vector<FileFailure> &failures)
{
    constexpr std::size_t Listed = 20;
    const std::size_t count = failures.size();
    QString text =
        count == 1 ? u"1 file could not be read:"_s : u"%1 files could not be read:"_s.arg(count);
    for (std::size_t i = 0; i < std::min(count, Listed); ++i)
        text += u"\r\n"_s + failureLine(failures[i]);
    if (count > Listed)
        text += u"\r\nand %1 more"_s.arg(count - Listed);
    return text;
}

} // namespace Quillfen

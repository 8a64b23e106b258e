#include "ClipboardExport.h"

#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

template <typename Attempt> bool retried(Attempt &&attempt)
{
    bool done = false;
    for (int attempts = 0; !done && attempts < ClipboardAttempts; ++attempts) {
        try {
            done = attempt();
        } catch (...) {
            done = false;
        }
    }
    return done;
}

// The widths of every column, and the exact size of the text when no row
// changes until it is built, so that the text is allocated once.
struct Layout
{
    QList<qsizetype> widths;
    qsizetype textSize = 0;
};

Layout measure(const ListData &list, PacedYield &pacer)
{
    Layout layout;
    const int columns = list.columnCount();
    qsizetype checkedRows = 0;
    qsizetype lastColumnChars = 0;
    for (int k = 1; k <= columns; ++k) {
        const bool last = k == columns;
        qsizetype widest = 0;
        const int rows = list.rowCount();
        for (int i = 1; i <= rows; ++i) {
            pacer.point();
            const qsizetype length = list.cellLength(i, k);
            widest = std::max(widest, length);
            // The last cell of a line is never padded.
            if (last && list.checked(i)) {
                ++checkedRows;
                lastColumnChars += length;
            }
        }
        layout.widths << widest;
    }
    qsizetype paddedWidth = 0;
    for (int k = 0; k + 1 < columns; ++k)
        paddedWidth += layout.widths[k] + 1; // cell, blanks and tab
    layout.textSize = checkedRows * (paddedWidth + 2) + lastColumnChars;
    return layout;
}

// Removes the blanks at the end of the text.
void chopBlanks(QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    text.truncate(end);
}

} // namespace

bool clearClipboardRetrying(Desktop &desktop)
{
    return retried([&] { return desktop.clearClipboard(); });
}

bool setClipboardTextRetrying(Desktop &desktop, const QString &text)
{
    return retried([&] { return desktop.setClipboardText(text); });
}

QString clipboardText(const ListData &list, PacedYield &pacer)
{
    const Layout layout = measure(list, pacer);
    QString text;
    text.reserve(layout.textSize);
    const int rows = list.rowCount();
    for (int i = 1; i <= rows; ++i) {
        pacer.point();
        if (!list.checked(i))
            continue;
        const int columns = list.columnCount();
        for (int k = 1; k <= columns; ++k) {
            pacer.point();
            const QString cell = list.cell(i, k);
            text += cell;
            if (k == columns)
                break; // its padding and tab would be removed again
            // A width can be short of a cell that changed after measuring.
            const qsizetype width = k <= layout.widths.size() ? layout.widths[k - 1] : 0;
            if (width > cell.size())
                text.resize(text.size() + (width - cell.size()), u' ');
            text += u'\t';
        }
        chopBlanks(text);
        text += u"\r\n"_s;
    }
    return text;
}

ClipboardCopy copyCheckedRowsToClipboard(const ListData &list, Desktop &desktop, PacedYield &pacer)
{
    if (list.rowCount() == 0)
        return ClipboardCopy::NothingToCopy;
    const QString text = clipboardText(list, pacer);
    clearClipboardRetrying(desktop);
    return setClipboardTextRetrying(desktop, text) ? ClipboardCopy::Copied
                                                   : ClipboardCopy::ClipboardBusy;
}

void copyResultsToClipboard(const ExportServices &services, const ListData &list)
{
    namespace Site = ReportSites::CopyResults;
    ReportingProcedure proc(services.boxes, Site::Identifier);
    PacedYield pacer(services.loop, services.yieldInterval);
    std::optional<ClipboardCopy> outcome;
    proc.step(Site::Copy,
              [&] { outcome = copyCheckedRowsToClipboard(list, services.desktop, pacer); });
    proc.step(Site::Message, [&] {
        if (!outcome)
            return; // the failure has just been reported
        showMessage(services.boxes, *outcome == ClipboardCopy::ClipboardBusy
                                        ? ClipboardBusyMessage
                                        : ResultsCopiedMessage);
    });
}

} // namespace Quillfen

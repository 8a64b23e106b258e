#include "Appearance.h"
#include "ApplicationIcon.h"
#include "HomePage.h"
#include "ListViewControl.h"
#include "MainWindow.h"
#include "OptionsPanel.h"
#include "PointerControl.h"
#include "core/ReportingProcedure.h"
#include "inputs/adding/SampleFiles.h"
#include "platform/ApplicationFolder.h"
#include "platform/Desktop.h"
#include "platform/Failure.h"
#include "platform/qt/PointerImages.h"

#include <QHeaderView>

using namespace Qt::StringLiterals;

namespace Quillfen {

void MainWindow::startUp()
{
    const QString &folder = m_services.applicationFolder;
    ReportingProcedure proc(m_services.boxes, LoadIdentifier);

    proc.step(100, [&] { ApplySkin(*this, folder); });

    const QString handPointer = folder + u"/HAND-M.CUR"_s;
    if (proc.test(102, [&] { return PathExists(handPointer); })) {
        proc.step(104, [&] {
            std::optional<QCursor> hand = pointerFromFile(handPointer);
            if (!hand)
                throw Failure(u"Invalid picture: "_s + handPointer);
            m_pointer->setCustomPointer(std::move(hand));
        });
    }

    quint32 seed = 0;
    int draw = 0;
    proc.step(106,
              [&] { seed = m_services.drawSeed ? m_services.drawSeed() : secondsSinceMidnight(); });
    proc.step(108, [&] { draw = homePageDraw(seed); });
    if (proc.test(110, [&] { return draw == HomePageNumber; }))
        proc.step(112, [&] { openHomePage(); });

    if (proc.test(114, [&] { return m_store.get(u"Snapshot"_s).isEmpty(); }))
        proc.step(116, [&] { TakeSampleSnapshot(); });

    proc.step(118, [&] { setWindowTitle(u"Quillfen"_s); });
    proc.step(120, [&] { setWindowIcon(applicationIcon(folder)); });
    proc.step(122, [&] { m_applicationTitle = shortApplicationTitle(u"Quillfen"_s); });

    proc.step(124, [&] { addColumn(m_inputListView, u"File(s)"_s); });
    proc.step(126, [&] { setColumnWidth(m_inputListView); });
    proc.step(128, [&] { addColumn(m_resultsListView, u"Results"_s); });
    proc.step(130, [&] { setColumnWidth(m_resultsListView); });

    const bool defaults[] = {true, false, true, false, false};
    for (int number = 1; number <= 5; ++number) {
        proc.step(130 + 2 * number, [&] {
            const QString key = u"Option"_s + QString::number(number);
            m_options->restoreOption(OptionButton(number),
                                     m_store.getBoolean(key, defaults[number - 1]));
        });
    }
}

void MainWindow::TakeSampleSnapshot()
{
    Quillfen::TakeSampleSnapshot(m_services.applicationFolder, m_store, &m_services.loop);
}

void MainWindow::openHomePage()
{
    if (!m_services.homePageAddress.isEmpty())
        m_services.desktop.openLocation(m_services.homePageAddress);
}

void MainWindow::addColumn(ListViewControl *list, const QString &header)
{
    if (!list->model()->setHeaderData(0, Qt::Horizontal, header))
        throw Failure(u"The column \""_s + header + u"\" cannot be added"_s);
}

void MainWindow::setColumnWidth(ListViewControl *list)
{
    list->setColumnWidth(twipsToPixels(ColumnTwips, list->logicalDpiX()));
}

} // namespace Quillfen

#include "Appearance.h"
#include "ApplicationIcon.h"
#include "HomePage.h"
#include "ListViewControl.h"
#include "MainWindow.h"
#include "OptionsPanel.h"
#include "PointerControl.h"
#include "ResultsColumns.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "inputs/adding/SampleFiles.h"
#include "platform/ApplicationFolder.h"
#include "platform/Desktop.h"
#include "platform/Failure.h"
#include "platform/qt/PointerImages.h"

#include <QCheckBox>
#include <QHeaderView>

using namespace Qt::StringLiterals;

namespace Quillfen {

void MainWindow::startUp()
{
    namespace Site = ReportSites::StartUp;
    const QString &folder = m_services.applicationFolder;
    ReportingProcedure proc(m_services.boxes, Site::Identifier);

    proc.step(Site::ApplyStyleSheet, [&] { applyStyleSheetOfDataFolder(*this, folder); });

    const QString handPointer = folder + u"/HAND-M.CUR"_s;
    if (pathExists(handPointer)) {
        proc.step(Site::LoadHandPointer, [&] {
            std::optional<QCursor> hand = pointerFromFile(handPointer);
            if (!hand)
                throw Failure(u"Invalid picture: "_s + handPointer);
            m_pointer->setCustomPointer(std::move(hand));
        });
    }

    const quint32 seed = m_services.drawSeed ? m_services.drawSeed() : secondsSinceMidnight();
    if (homePageDraw(seed) == HomePageNumber)
        proc.step(Site::OpenHomePage, [&] { openHomePage(); });

    if (m_store.get(u"Snapshot"_s).isEmpty())
        proc.step(Site::RecordSamples, [&] { recordSampleSnapshot(); });

    setWindowTitle(u"Quillfen"_s);
    proc.step(Site::SetIcon, [&] { setWindowIcon(applicationIcon(folder)); });
    m_applicationTitle = shortApplicationTitle(u"Quillfen"_s);

    proc.step(Site::AddInputColumn, [&] { addColumn(m_inputListView, u"File(s)"_s); });
    setColumnWidth(m_inputListView);
    proc.step(Site::AddResultsColumn, [&] { addColumn(m_resultsListView, u"Results"_s); });
    m_resultsColumns->restore();

    // The smart choice, stored under a key of its own, comes last and so
    // wins over the two older mode keys.
    const bool defaults[] = {true, false, true, false, false, false};
    for (int number = 1; number <= 6; ++number) {
        proc.step(Site::RestoreFirstOption + 2 * (number - 1), [&] {
            const QString key = u"Option"_s + QString::number(number);
            m_options->restoreOption(OptionButton(number),
                                     m_store.getBoolean(key, defaults[number - 1]));
        });
    }
    m_options->restoreMatching();
    try {
        m_followLinks->setChecked(m_store.getBoolean(FollowLinksKey, false));
    } catch (...) {
        m_followLinks->setChecked(false); // a value that cannot be read: the default
    }
}

void MainWindow::recordSampleSnapshot()
{
    Quillfen::recordSampleSnapshot(m_services.applicationFolder, m_store, &m_services.loop);
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

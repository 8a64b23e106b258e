#include "MainWindow.h"

#include "AccessibleFactory.h"
#include "Appearance.h"
#include "CaptionedProgressBar.h"
#include "InputBlock.h"
#include "KeyboardAccess.h"
#include "ListBehaviours.h"
#include "ListViewControl.h"
#include "OptionsPanel.h"
#include "PointerControl.h"
#include "ResultsColumns.h"
#include "ResultsMenu.h"
#include "VisibleTextDelegate.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "inputs/InputListModel.h"
#include "inputs/adding/AddFiles.h"
#include "inputs/adding/AddFolder.h"
#include "inputs/adding/SampleFiles.h"
#include "inputs/adding/TreeFiles.h"
#include "platform/Failure.h"
#include "platform/qt/PointerImages.h"
#include "results/ResultsModel.h"
#include "results/export/ClipboardExport.h"
#include "results/export/ResultsListData.h"
#include "results/export/SpreadsheetExport.h"
#include "results/export/TextFileExport.h"
#include "windows/editor/AbbreviationEditor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QFont arialBold(double points)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

// Yields and boxes of the window's actions: the rows appended so far are
// shown first, so that what the user sees and acts on while events run
// (a yield, a modal box) is the whole of both lists.
class MainWindow::ListFlush final : public EventLoop, public MessageBoxes
{
public:
    ListFlush(InputListModel &inputs, ResultsModel &results, EventLoop &loop, MessageBoxes &boxes)
        : m_inputs(inputs), m_results(results), m_loop(loop), m_boxes(boxes)
    {}
    void yield() override
    {
        flush();
        m_loop.yield();
    }
    MessageAnswer show(const MessageRequest &request) override
    {
        flush();
        return m_boxes.show(request);
    }

private:
    void flush()
    {
        m_inputs.flushRows();
        m_results.flushRows();
    }

    InputListModel &m_inputs;
    ResultsModel &m_results;
    EventLoop &m_loop;
    MessageBoxes &m_boxes;
};

MainWindow::MainWindow(MainWindowServices services, QWidget *parent)
    : QWidget(parent), m_services(std::move(services)), m_store(m_services.settings)
{
    setObjectName(u"Form1"_s);
    installAccessibleFactory();
    setupControls();
    setupLayout();
    setupPointerRules();
    setupKeyboard();
    connectActions();

    m_flush =
        std::make_unique<ListFlush>(*m_inputRows, *m_resultRows, m_services.loop, m_services.boxes);
    m_resultsData = std::make_unique<ResultsListData>(*m_resultRows);
    m_resultsTable = std::make_unique<ResultsListData>(*m_resultRows, true);
    m_resultsMenu = new ResultsMenu(*m_resultsListView, *m_resultRows, *m_pointer, *m_flush,
                                    m_services.desktop);
    m_run = std::make_unique<ExtractionRun>(RunEnvironment{*m_flush, m_services.loop, *m_pointer,
                                                           *m_progressBar, *m_inputRows,
                                                           *m_resultRows, *m_options});
    m_run->setYieldInterval(m_services.yieldInterval);
    m_run->setRunningChanged([this](bool running) { runningChanged(running); });
    followListInSummary();
}

// After a run, the summary on the progress bar follows the results list:
// rows removed, cleared, checked or found change its counts at once.
void MainWindow::followListInSummary()
{
    m_summaryDue = new QTimer(this);
    m_summaryDue->setSingleShot(true);
    connect(m_summaryDue, &QTimer::timeout, this, &MainWindow::refreshSummary);
    const auto due = [this] {
        if (!m_runGoing)
            m_summaryDue->start(0);
    };
    connect(m_resultRows, &QAbstractItemModel::rowsInserted, this, due);
    connect(m_resultRows, &QAbstractItemModel::rowsRemoved, this, due);
    connect(m_resultRows, &QAbstractItemModel::modelReset, this, due);
    connect(m_resultRows, &QAbstractItemModel::dataChanged, this, due);
}

void MainWindow::refreshSummary()
{
    if (m_runGoing || m_run->summaryTail().isEmpty())
        return;
    m_progressBar->setProgressCaption(rowsSummary(m_resultRows->listRowCount(),
                                                  m_resultRows->checkedRowCount(),
                                                  m_resultRows->rowCount()) +
                                      m_run->summaryTail());
}

MainWindow::~MainWindow() = default;

int MainWindow::twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(double(twips) * dotsPerInch / 1440.0);
}

QPushButton *MainWindow::makeButton(MainButton which, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(u"PushButton"_s + QString::number(int(which) + 1));
    button->setFont(arialBold(11.25));
    button->setAutoDefault(false);
    m_buttons.at(std::size_t(which)) = button;
    return button;
}

ListViewControl *MainWindow::makeList(const QString &name, const QString &hint)
{
    auto *list = new ListViewControl(this);
    list->setObjectName(name);
    list->setToolTip(hint);
    list->setFont(arialBold(9));
    return list;
}

void MainWindow::setupControls()
{
    setFont(arialBold(9));
    m_pointer = new PointerControl(*this);
    m_options = new OptionsPanel(m_store, this);

    m_inputRows = new InputListModel(this);
    m_inputListView = makeList(u"ListView1"_s,
                               u"Drag and drop files here. Double-click item to remove it. Move | "
                               "line to right and out of window to reveal full names."_s);
    m_inputListView->setModel(m_inputRows);
    m_inputListView->setPlaceholderText(u"Drop files and folders here, or use Add File(s)"_s);
    m_inputBehaviour = new InputListBehaviour(*m_inputListView, *m_inputRows, *m_pointer);
    m_inputBehaviour->setDragPointer(
        pointerFromFile(m_services.applicationFolder + u"/drag.ico"_s));

    m_resultRows = new ResultsModel(this);
    m_resultsListView = makeList(u"ListView2"_s, u"Double-click item to remove it. Move | line to "
                                                 "right and out of window to reveal full names."_s);
    m_resultsListView->setModel(m_resultRows);
    m_resultsListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_resultsBehaviour = new ResultsListBehaviour(*m_resultsListView, *m_resultRows, *m_pointer);
    m_resultsColumns =
        new ResultsColumns(*m_resultsListView, m_store,
                           twipsToPixels(FileColumnTwips, m_resultsListView->logicalDpiX()));

    m_findBox = new QLineEdit(this);
    m_findBox->setObjectName(u"FindBox"_s);
    m_findBox->setPlaceholderText(u"Find in results"_s);
    m_findBox->setAccessibleName(u"Find in results"_s);
    m_findBox->setClearButtonEnabled(true);
    m_findBox->setToolTip(u"Find in results (Ctrl+F): shows only the rows that contain this text, "
                          "in any case. Copy, Save and Excel still take every checked row of "
                          "the whole list, shown or not."_s);
    connect(m_findBox, &QLineEdit::textChanged, m_resultRows, &ResultsModel::setFindText);
    connect(m_findBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_resultsDelegate->setFindText(text);
        m_resultsListView->viewport()->update();
    });
    clearOnEscape(m_findBox);
    // The rows show the matches of the filter they were made with: a run
    // empties the list as it starts, under the filter it took.
    m_resultsDelegate = m_resultsListView->textDelegate();
    connect(m_resultRows, &QAbstractItemModel::modelReset, this, [this] {
        if (isRunning())
            m_resultsDelegate->setMatchFilter(m_run->choices().filter);
    });

    m_progressBar = new CaptionedProgressBar(this);
    m_progressBar->setObjectName(u"ProgressBar1"_s);
    m_progressBar->setProgressCaption(u"Progress Bar"_s);

    makeButton(MainButton::StartExtracting, u"Start Extracting"_s);
    makeButton(MainButton::AddFiles, u"Add File(s)"_s);
    makeButton(MainButton::AddFolder, u"Add All File(s) In Folder"_s);
    makeButton(MainButton::EditAbbreviations, u"Option: Ignore These Abbreviations"_s);
    makeButton(MainButton::CopyResults, u"Copy Results To Clipboard"_s);
    makeButton(MainButton::SaveTextFile, u"Save Results As Text File"_s);
    makeButton(MainButton::SaveExcelFile, u"Save Results To Excel File"_s);
    makeButton(MainButton::ClearInputs, u"Clear List"_s);
    makeButton(MainButton::ClearResults, u"Clear List"_s);
    makeButton(MainButton::LoadSamples, u"Load Sample/Example Files"_s);
    button(MainButton::EditAbbreviations)
        ->setToolTip(u"Edit the abbreviations whose \".\" does not end a sentence"_s);
    button(MainButton::ClearInputs)->setToolTip(u"Remove every file from the input list"_s);
    button(MainButton::ClearResults)->setToolTip(u"Remove every row from the results"_s);
    button(MainButton::LoadSamples)->setToolTip(u"Add the sample documents to the input list"_s);

    m_followLinks = new QCheckBox(u"Follow links out of folders"_s, this);
    m_followLinks->setObjectName(FollowLinksKey);
    m_followLinks->setToolTip(
        u"When a folder is added or dropped, also follow the symbolic links in it "
        "that lead outside it. Left off, each such link is named once the "
        "folder is added."_s);
    connect(m_followLinks, &QCheckBox::clicked, this, [this](bool checked) {
        try {
            m_store.saveBoolean(FollowLinksKey, checked);
        } catch (...) {
            // The box keeps its state for this session.
        }
    });
}

// Input list and its buttons on the left, the options and "Start
// Extracting" on the right, the progress bar across, the results list and
// its buttons below. The lists take whatever room the window gains.
void MainWindow::setupLayout()
{
    auto *inputButtons = new QGridLayout;
    inputButtons->addWidget(button(MainButton::AddFiles), 0, 0);
    inputButtons->addWidget(button(MainButton::AddFolder), 0, 1);
    inputButtons->addWidget(button(MainButton::LoadSamples), 1, 0);
    inputButtons->addWidget(button(MainButton::ClearInputs), 1, 1);
    inputButtons->addWidget(m_followLinks, 2, 0, 1, 2);

    auto *inputSide = new QVBoxLayout;
    inputSide->addWidget(m_inputListView, 1);
    inputSide->addLayout(inputButtons);

    auto *optionSide = new QVBoxLayout;
    optionSide->addWidget(m_options->extractOptionFrame());
    optionSide->addWidget(button(MainButton::EditAbbreviations));
    optionSide->addWidget(m_options->filterFrame());
    optionSide->addStretch(1);
    optionSide->addWidget(button(MainButton::StartExtracting));

    auto *top = new QHBoxLayout;
    top->addLayout(inputSide, 1);
    top->addLayout(optionSide, 0);

    auto *resultButtons = new QHBoxLayout;
    for (MainButton which : {MainButton::CopyResults, MainButton::SaveTextFile,
                             MainButton::SaveExcelFile, MainButton::ClearResults})
        resultButtons->addWidget(button(which));

    auto *window = new QVBoxLayout(this);
    window->addLayout(top, 1);
    window->addWidget(m_progressBar);
    window->addWidget(m_findBox);
    window->addWidget(m_resultsListView, 1);
    window->addLayout(resultButtons);

    for (QPushButton *button : m_buttons)
        button->setMinimumHeight(button->sizeHint().height() + 6);
    button(MainButton::StartExtracting)
        ->setMinimumHeight(button(MainButton::StartExtracting)->sizeHint().height() + 16);

    // 1220 x 760 pixels at 96 dots per inch, larger where the desktop's
    // text is set larger.
    QSize size(twipsToPixels(18300, logicalDpiX()), twipsToPixels(11400, logicalDpiY()));
    if (const QScreen *shown = screen())
        size = size.boundedTo(shown->availableSize());
    resize(size);
}

void MainWindow::setupPointerRules()
{
    for (QPushButton *button : m_buttons)
        m_pointer->watchButton(button);
    const QList<QWidget *> surfaces = {this, m_options->extractOptionFrame(),
                                       m_options->filterFrame(), m_inputListView->viewport(),
                                       m_resultsListView->viewport()};
    for (QWidget *surface : surfaces)
        m_pointer->watchSurface(surface);
}

// Tab follows the window from the input list and its buttons through the
// options to "Start Extracting", then the results list and its buttons.
// Tab stops once in each group of options, at its selected one (the arrow
// keys move within the group); the filter texts follow their group.
// The shortcuts leave alone every key the text boxes and lists use.
void MainWindow::setupKeyboard()
{
    for (QPushButton *button : m_buttons)
        pressOnEnter(button);
    giveShortcut(button(MainButton::StartExtracting), QKeySequence(Qt::Key_F5));
    giveShortcut(button(MainButton::AddFiles), QKeySequence(Qt::CTRL | Qt::Key_O));
    giveShortcut(button(MainButton::AddFolder), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    giveShortcut(button(MainButton::CopyResults), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    giveShortcut(button(MainButton::SaveTextFile), QKeySequence(Qt::CTRL | Qt::Key_S));
    giveShortcut(button(MainButton::SaveExcelFile), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    auto *find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, [this] {
        m_findBox->setFocus(Qt::ShortcutFocusReason);
        m_findBox->selectAll();
    });
    m_stopShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_stopShortcut->setEnabled(false);
    connect(m_stopShortcut, &QShortcut::activated, this, &MainWindow::stopExtracting);

    const OptionsPanel &options = *m_options;
    chainTabOrder({m_inputListView,
                   button(MainButton::AddFiles),
                   button(MainButton::AddFolder),
                   button(MainButton::LoadSamples),
                   button(MainButton::ClearInputs),
                   m_followLinks,
                   options.option(OptionButton::Paragraph),
                   options.option(OptionButton::Sentence),
                   options.option(OptionButton::SmartSentence),
                   options.ocrBox(),
                   button(MainButton::EditAbbreviations),
                   options.option(OptionButton::Containing),
                   options.option(OptionButton::NotContaining),
                   options.option(OptionButton::NoFilter),
                   options.containingText(),
                   options.notContainingText(),
                   options.matchingBox(MatchingBox::MatchCase),
                   options.matchingBox(MatchingBox::WholeWords),
                   options.matchingBox(MatchingBox::RegularExpression),
                   button(MainButton::StartExtracting),
                   m_findBox,
                   m_resultsListView,
                   button(MainButton::CopyResults),
                   button(MainButton::SaveTextFile),
                   button(MainButton::SaveExcelFile),
                   button(MainButton::ClearResults)});
    tabToSelectedOption({options.option(OptionButton::Paragraph),
                         options.option(OptionButton::Sentence),
                         options.option(OptionButton::SmartSentence)});
    tabToSelectedOption({options.option(OptionButton::Containing),
                         options.option(OptionButton::NotContaining),
                         options.option(OptionButton::NoFilter)});
}

void MainWindow::connectActions()
{
    const std::array<void (MainWindow::*)(), 10> clicks = {
        &MainWindow::startExtracting,        &MainWindow::addFiles,
        &MainWindow::addAllFilesInFolder,    &MainWindow::editAbbreviations,
        &MainWindow::copyResultsToClipboard, &MainWindow::saveResultsAsTextFile,
        &MainWindow::saveResultsToExcelFile, &MainWindow::clearInputList,
        &MainWindow::clearResultsList,       &MainWindow::loadSampleFiles};
    for (std::size_t i = 0; i < clicks.size(); ++i)
        connect(m_buttons.at(i), &QPushButton::clicked, this, clicks.at(i));
    connect(m_inputBehaviour, &InputListBehaviour::filesDropped, this, &MainWindow::addDroppedFiles,
            Qt::QueuedConnection);
}

FillerServices MainWindow::fillerServices()
{
    return {.boxes = *m_flush,
            .dialogs = m_services.dialogs,
            .pointer = *m_pointer,
            .desktop = m_services.desktop,
            .settings = m_store,
            .loop = m_flush.get(),
            .yieldInterval = m_services.yieldInterval,
            .followLinks = m_followLinks->isChecked()};
}

ExportServices MainWindow::exportServices()
{
    return {.boxes = *m_flush,
            .dialogs = m_services.dialogs,
            .desktop = m_services.desktop,
            .pointer = *m_pointer,
            .loop = &m_services.loop,
            .yieldInterval = m_services.exportYieldInterval,
            .settings = &m_services.settings};
}

EditorServices MainWindow::editorServices()
{
    const QString handPointer = m_services.applicationFolder + u"/HAND-M.CUR"_s;
    return {.boxes = m_services.boxes,
            .dialogs = m_services.dialogs,
            .settings = m_services.settings,
            .applySystemColours = [](QWidget &window) { paintButtonFaceBackground(window); },
            .customPointer = [handPointer] { return pointerFromFile(handPointer); }};
}

void MainWindow::startExtracting()
{
    if (m_run->isRunning())
        m_run->requestStop();
    else
        m_run->start();
}

void MainWindow::stopExtracting()
{
    if (m_run->isRunning())
        m_run->requestStop();
}

void MainWindow::runningChanged(bool running)
{
    m_runGoing = running;
    if (!running)
        refreshSummary(); // rows cleared during the run count too
    QPushButton *start = button(MainButton::StartExtracting);
    start->setText(running ? u"Stop Extracting"_s : u"Start Extracting"_s);
    start->setToolTip(running ? u"Stop Extracting (Esc)"_s : u"Start Extracting (F5)"_s);
    m_stopShortcut->setEnabled(running);
    // The run took its options and files: what would change them waits.
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_options->extractOptionFrame(), m_options->filterFrame(),
             button(MainButton::EditAbbreviations), button(MainButton::AddFiles),
             button(MainButton::AddFolder), button(MainButton::LoadSamples),
             button(MainButton::ClearInputs)})
        control->setEnabled(!running);
}

void MainWindow::addFiles()
{
    InputListModel::AppendBatch batch(*m_inputRows);
    AddFilesAction::run(m_services.dialogs, *m_flush, *m_inputRows, &m_services.settings);
}

void MainWindow::addAllFilesInFolder()
{
    InputListModel::AppendBatch batch(*m_inputRows);
    AddFolderAction::run(fillerServices(), *m_inputRows);
}

// Modal: the window, and a run that was yielding, wait until it closes.
void MainWindow::editAbbreviations()
{
    ReportingProcedure proc(*m_flush, ReportSites::EditAbbreviations::Identifier);
    proc.step(ReportSites::EditAbbreviations::OpenEditor, [&] {
        AbbreviationEditor editor(editorServices(), this);
        // Modal in effect, not in Qt's sense: Qt's modality would swallow
        // this window's close request, which must end the program at once.
        editor.setModal(false);
        const InputBlock block(*this);
        QEventLoop untilClosed;
        connect(&editor, &QDialog::finished, &untilClosed, &QEventLoop::quit);
        const QScopedValueRollback editing(m_editingAbbreviations, true);
        editor.show();
        untilClosed.exec();
    });
}

void MainWindow::copyResultsToClipboard()
{
    Quillfen::copyResultsToClipboard(exportServices(), *m_resultsData);
}

void MainWindow::saveResultsAsTextFile()
{
    Quillfen::saveResultsAsTextFile(exportServices(), *m_resultsTable);
}

void MainWindow::saveResultsToExcelFile()
{
    const QString folder =
        m_services.workbookFolder.isEmpty() ? defaultWorkbookFolder() : m_services.workbookFolder;
    saveResultsToSpreadsheet(exportServices(), *m_resultsTable, folder);
}

void MainWindow::clearInputList()
{
    if (m_pointer->isBusy())
        return;
    ReportingProcedure proc(m_services.boxes, ReportSites::ClearInputs::Identifier);
    proc.step(ReportSites::ClearInputs::Clear, [&] { m_inputRows->clearRows(); });
}

void MainWindow::clearResultsList()
{
    namespace Site = ReportSites::ClearResults;
    ReportingProcedure proc(m_services.boxes, Site::Identifier);
    proc.step(Site::Clear, [&] { m_resultRows->clearRows(); });
    proc.step(Site::SetHeader, [&] { m_resultRows->setHeaderText(u"Results"_s); });
}

void MainWindow::loadSampleFiles()
{
    ReportingProcedure proc(*m_flush, ReportSites::LoadSamples::Identifier);
    InputListModel::AppendBatch batch(*m_inputRows);
    proc.step(ReportSites::LoadSamples::Load, [&] {
        addSampleFiles(*m_inputRows, m_services.applicationFolder, fillerServices());
    });
}

// The pointer stays as it is; removals stay possible meanwhile. Refused
// while a run goes, as Add is.
void MainWindow::addDroppedFiles(const QStringList &paths)
{
    if (isRunning())
        return;
    InputListModel::AppendBatch batch(*m_inputRows);
    FolderWalk walk(*m_flush, m_flush.get(), m_services.yieldInterval);
    walk.setFollowLinks(m_followLinks->isChecked());
    try {
        addPathsInOrder(paths, *m_inputRows, walk);
    } catch (const Failure &) {
        // A drop has no report of its own; the rows added so far stay.
    }
    if (!walk.linksNotFollowed().isEmpty())
        showMessage(*m_flush, linksNotFollowedReport(walk.linksNotFollowed()));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The editor's list is kept as closing the editor keeps it, before the
    // program ends.
    if (m_editingAbbreviations) {
        if (auto *editor = findChild<AbbreviationEditor *>())
            editor->close();
    }
    event->accept();
    // The program ends at once; a run in progress begins nothing more.
    if (m_run->isRunning())
        m_run->requestStop();
    Q_EMIT unloaded();
}

} // namespace Quillfen

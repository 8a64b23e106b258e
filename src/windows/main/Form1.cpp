#include "Form1.h"

#include "AccessibleFactory.h"
#include "Appearance.h"
#include "CaptionedProgressBar.h"
#include "KeyboardAccess.h"
#include "ListBehaviours.h"
#include "ListViewControl.h"
#include "OptionsPanel.h"
#include "PointerControl.h"
#include "abbrev/AbbreviationStore.h"
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
#include "windows/editor/Form2.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
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

// The abbreviation list as the run reads it: afresh from the store.
class Form1::StoredAbbreviations final : public AbbreviationSource
{
public:
    explicit StoredAbbreviations(const SettingsStore &store) : m_store(store) {}
    QString storedValue() const override { return storedAbbreviations(m_store); }

private:
    const SettingsStore &m_store;
};

// Yields and boxes of the window's actions: the rows appended so far are
// shown first, so that what the user sees and acts on while events run
// (a yield, a modal box) is the whole of both lists.
class Form1::ListFlush final : public EventLoop, public MessageBoxes
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

Form1::Form1(Form1Services services, QWidget *parent)
    : QWidget(parent), m_services(std::move(services)), m_store(m_services.settings)
{
    setObjectName(u"Form1"_s);
    installAccessibleFactory();
    setupControls();
    setupLayout();
    setupPointerRules();
    setupKeyboard();
    connectActions();

    m_abbreviations = std::make_unique<StoredAbbreviations>(m_store);
    m_flush =
        std::make_unique<ListFlush>(*m_inputRows, *m_resultRows, m_services.loop, m_services.boxes);
    m_resultsData = std::make_unique<ResultsListData>(*m_resultRows);
    m_run = std::make_unique<ExtractionRun>(RunEnvironment{
        *m_flush, m_services.loop, *m_pointer, *m_progressBar, *m_inputRows, *m_resultRows,
        *m_options, *m_abbreviations, m_services.html, m_services.work});
    m_run->setYieldInterval(m_services.yieldInterval);
}

Form1::~Form1() = default;

int Form1::twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(double(twips) * dotsPerInch / 1440.0);
}

QPushButton *Form1::makeButton(int number, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(u"PushButton"_s + QString::number(number));
    button->setFont(arialBold(11.25));
    button->setAutoDefault(false);
    m_buttons.at(std::size_t(number - 1)) = button;
    return button;
}

ListViewControl *Form1::makeList(const QString &name, const QString &hint)
{
    auto *list = new ListViewControl(this);
    list->setObjectName(name);
    list->setToolTip(hint);
    list->setFont(arialBold(9));
    return list;
}

void Form1::setupControls()
{
    setFont(arialBold(9));
    m_pointer = new PointerControl(*this);
    m_options = new OptionsPanel(m_store, this);

    m_inputRows = new InputListModel(this);
    m_listView1 = makeList(u"ListView1"_s,
                           u"Drag and drop files here. Double-click item to remove it. Move | "
                           "line to right and out of window to reveal full names."_s);
    m_listView1->setModel(m_inputRows);
    m_inputBehaviour = new InputListBehaviour(*m_listView1, *m_inputRows, *m_pointer);
    m_inputBehaviour->setDragPointer(
        pointerFromFile(m_services.applicationFolder + u"/drag.ico"_s));

    m_resultRows = new ResultsModel(this);
    m_listView2 = makeList(u"ListView2"_s, u"Double-click item to remove it. Move | line to "
                                           "right and out of window to reveal full names."_s);
    m_listView2->setModel(m_resultRows);
    m_resultsBehaviour = new ResultsListBehaviour(*m_listView2, *m_resultRows, *m_pointer);

    m_progressBar = new CaptionedProgressBar(this);
    m_progressBar->setObjectName(u"ProgressBar1"_s);
    m_progressBar->setProgressCaption(u"Progress Bar"_s);

    makeButton(1, u"Start Extracting"_s);
    makeButton(2, u"Add File(s)"_s);
    makeButton(3, u"Add All File(s) In Folder"_s);
    makeButton(4, u"Option: Ignore These Abbreviations"_s);
    makeButton(5, u"Copy Results To Clipboard"_s);
    makeButton(6, u"Save Results As Text File"_s);
    makeButton(7, u"Save Results To Excel File"_s);
    makeButton(8, u"Clear List"_s);
    makeButton(9, u"Clear List"_s);
    makeButton(10, u"Load Sample/Example Files"_s);
}

// Input list and its buttons on the left, the options and "Start
// Extracting" on the right, the progress bar across, the results list and
// its buttons below. The lists take whatever room the window gains.
void Form1::setupLayout()
{
    auto *inputButtons = new QGridLayout;
    inputButtons->addWidget(pushButton(2), 0, 0);
    inputButtons->addWidget(pushButton(3), 0, 1);
    inputButtons->addWidget(pushButton(10), 1, 0);
    inputButtons->addWidget(pushButton(8), 1, 1);

    auto *inputSide = new QVBoxLayout;
    inputSide->addWidget(m_listView1, 1);
    inputSide->addLayout(inputButtons);

    auto *optionSide = new QVBoxLayout;
    optionSide->addWidget(m_options->frame1());
    optionSide->addWidget(pushButton(4));
    optionSide->addWidget(m_options->frame2());
    optionSide->addStretch(1);
    optionSide->addWidget(pushButton(1));

    auto *top = new QHBoxLayout;
    top->addLayout(inputSide, 1);
    top->addLayout(optionSide, 0);

    auto *resultButtons = new QHBoxLayout;
    for (int number : {5, 6, 7, 9})
        resultButtons->addWidget(pushButton(number));

    auto *window = new QVBoxLayout(this);
    window->addLayout(top, 1);
    window->addWidget(m_progressBar);
    window->addWidget(m_listView2, 1);
    window->addLayout(resultButtons);

    for (QPushButton *button : m_buttons)
        button->setMinimumHeight(button->sizeHint().height() + 6);
    pushButton(1)->setMinimumHeight(pushButton(1)->sizeHint().height() + 16);

    // 1220 x 760 pixels at 96 dots per inch, larger where the desktop's
    // text is set larger.
    QSize size(twipsToPixels(18300, logicalDpiX()), twipsToPixels(11400, logicalDpiY()));
    if (const QScreen *shown = screen())
        size = size.boundedTo(shown->availableSize());
    resize(size);
}

void Form1::setupPointerRules()
{
    for (QPushButton *button : m_buttons)
        m_pointer->watchButton(button);
    const QList<QWidget *> surfaces = {this, m_options->frame1(), m_options->frame2(),
                                       m_listView1->viewport(), m_listView2->viewport()};
    for (QWidget *surface : surfaces)
        m_pointer->watchSurface(surface);
}

// Tab follows the window from the input list and its buttons through the
// options to "Start Extracting", then the results list and its buttons.
// Tab stops once in each group of options, at its selected one (the arrow
// keys move within the group); the filter texts follow their group.
// The shortcuts leave alone every key the text boxes and lists use.
void Form1::setupKeyboard()
{
    for (QPushButton *button : m_buttons)
        pressOnEnter(button);
    giveShortcut(pushButton(1), QKeySequence(Qt::Key_F5));
    giveShortcut(pushButton(2), QKeySequence(Qt::CTRL | Qt::Key_O));
    giveShortcut(pushButton(3), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    giveShortcut(pushButton(5), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    giveShortcut(pushButton(6), QKeySequence(Qt::CTRL | Qt::Key_S));
    giveShortcut(pushButton(7), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));

    const OptionsPanel &options = *m_options;
    chainTabOrder({m_listView1, pushButton(2), pushButton(3), pushButton(10), pushButton(8),
                   options.option(1), options.option(2), pushButton(4), options.option(4),
                   options.option(5), options.option(3), options.text1(), options.text2(),
                   pushButton(1), m_listView2, pushButton(5), pushButton(6), pushButton(7),
                   pushButton(9)});
    tabToSelectedOption({options.option(1), options.option(2)});
    tabToSelectedOption({options.option(4), options.option(5), options.option(3)});
}

void Form1::connectActions()
{
    const std::array<void (Form1::*)(), 10> clicks = {
        &Form1::PushButton1_Click, &Form1::PushButton2_Click, &Form1::PushButton3_Click,
        &Form1::PushButton4_Click, &Form1::PushButton5_Click, &Form1::PushButton6_Click,
        &Form1::PushButton7_Click, &Form1::PushButton8_Click, &Form1::PushButton9_Click,
        &Form1::PushButton10_Click};
    for (std::size_t i = 0; i < clicks.size(); ++i)
        connect(m_buttons.at(i), &QPushButton::clicked, this, clicks.at(i));
    connect(m_inputBehaviour, &InputListBehaviour::filesDropped, this,
            &Form1::ListView1_OLEDragDrop, Qt::QueuedConnection);
}

FillerServices Form1::fillerServices()
{
    return {.boxes = *m_flush,
            .dialogs = m_services.dialogs,
            .pointer = *m_pointer,
            .desktop = m_services.desktop,
            .settings = m_store,
            .loop = m_flush.get(),
            .yieldInterval = m_services.yieldInterval};
}

ExportServices Form1::exportServices()
{
    return {.boxes = *m_flush,
            .dialogs = m_services.dialogs,
            .desktop = m_services.desktop,
            .pointer = *m_pointer,
            .loop = &m_services.loop,
            .yieldInterval = m_services.exportYieldInterval};
}

EditorServices Form1::editorServices()
{
    const QString handPointer = m_services.applicationFolder + u"/HAND-M.CUR"_s;
    return {.boxes = m_services.boxes,
            .dialogs = m_services.dialogs,
            .settings = m_services.settings,
            .applySystemColours = [](QWidget &window) { ApplySystemColours(window); },
            .customPointer = [handPointer] { return pointerFromFile(handPointer); }};
}

void Form1::PushButton1_Click()
{
    m_run->start();
}

void Form1::PushButton2_Click()
{
    InputListModel::AppendBatch batch(*m_inputRows);
    AddFilesAction::run(m_services.dialogs, *m_flush, *m_inputRows);
}

void Form1::PushButton3_Click()
{
    InputListModel::AppendBatch batch(*m_inputRows);
    AddFolderAction::run(fillerServices(), *m_inputRows);
}

// Modal: the window, and a run that was yielding, wait until it closes.
void Form1::PushButton4_Click()
{
    ReportingProcedure proc(*m_flush, EditorIdentifier);
    proc.step(100, [&] {
        Form2 editor(editorServices(), this);
        editor.exec();
    });
}

void Form1::PushButton5_Click()
{
    copyResultsToClipboard(exportServices(), *m_resultsData);
}

void Form1::PushButton6_Click()
{
    saveResultsAsTextFile(exportServices(), *m_resultsData);
}

void Form1::PushButton7_Click()
{
    const QString folder =
        m_services.workbookFolder.isEmpty() ? defaultWorkbookFolder() : m_services.workbookFolder;
    saveResultsToSpreadsheet(exportServices(), *m_resultsData, folder);
}

void Form1::PushButton8_Click()
{
    ReportingProcedure proc(m_services.boxes, ClearInputsIdentifier);
    if (proc.test(100, [&] { return !m_pointer->isBusy(); }))
        proc.step(100, [&] { m_inputRows->clearRows(); });
}

void Form1::PushButton9_Click()
{
    ReportingProcedure proc(m_services.boxes, ClearResultsIdentifier);
    proc.step(100, [&] { m_resultRows->clearRows(); });
    proc.step(102, [&] { m_resultRows->setHeaderText(u"Results"_s); });
}

void Form1::PushButton10_Click()
{
    ReportingProcedure proc(*m_flush, SampleFiles::LoadIdentifier);
    InputListModel::AppendBatch batch(*m_inputRows);
    proc.step(100, [&] {
        LoadSampleFiles(*m_inputRows, m_services.applicationFolder, fillerServices());
    });
}

// The pointer stays as it is; removals stay possible meanwhile.
void Form1::ListView1_OLEDragDrop(const QStringList &paths)
{
    InputListModel::AppendBatch batch(*m_inputRows);
    FolderWalk walk(*m_flush, m_flush.get(), m_services.yieldInterval);
    try {
        AddDroppedPaths(paths, *m_inputRows, walk);
    } catch (const Failure &) {
        // A drop has no report of its own; the rows added so far stay.
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT unloaded();
}

} // namespace Quillfen

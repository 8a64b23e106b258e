#pragma once

#include "MainWindowServices.h"
#include "core/SettingsStore.h"
#include "run/ExtractionRun.h"
#include "run/RunSummary.h"

#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QLineEdit;
class QTimer;
class QPushButton;
class QShortcut;

namespace Quillfen {

struct EditorServices;
struct ExportServices;
struct FillerServices;
class CaptionedProgressBar;
class InputListBehaviour;
class InputListModel;
class ListViewControl;
class OptionsPanel;
class PointerControl;
class ResultsColumns;
class ResultsListBehaviour;
class ResultsListData;
class ResultsMenu;
class ResultsModel;
class VisibleTextDelegate;

// The ten push buttons, in the order of their object names (PushButton1 ...
// PushButton10), which tests and the error report's identifiers use.
enum class MainButton {
    StartExtracting,
    AddFiles,
    AddFolder,
    EditAbbreviations,
    CopyResults,
    SaveTextFile,
    SaveExcelFile,
    ClearInputs,
    ClearResults,
    LoadSamples,
};

// The main window. Constructing it builds every control; startUp() runs
// the start-up; closing it ends the program (see unloaded()).
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    // Width of the input list's column, and the results' "File" column at
    // first.
    static constexpr int ColumnTwips = 7000;
    static constexpr int FileColumnTwips = 2500;

    explicit MainWindow(MainWindowServices services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence. Every step that fails is reported and the
    // next one runs; the window can be shown afterwards whatever happened.
    void startUp();

    InputListModel &inputList() const { return *m_inputRows; }
    ResultsModel &results() const { return *m_resultRows; }
    OptionsPanel &options() const { return *m_options; }
    PointerControl &pointer() const { return *m_pointer; }
    ListViewControl *inputListView() const { return m_inputListView; }
    ListViewControl *resultsListView() const { return m_resultsListView; }
    VisibleTextDelegate *resultsDelegate() const { return m_resultsDelegate; }
    CaptionedProgressBar *progressBar() const { return m_progressBar; }
    // "Find in results" above the results list.
    QLineEdit *findBox() const { return m_findBox; }
    // Whether adding a folder follows links that lead outside it.
    QCheckBox *followLinksBox() const { return m_followLinks; }
    ResultsMenu &resultsMenu() const { return *m_resultsMenu; }
    QPushButton *button(MainButton which) const { return m_buttons.at(std::size_t(which)); }
    InputListBehaviour &inputBehaviour() const { return *m_inputBehaviour; }
    const QString &applicationTitle() const { return m_applicationTitle; }

    // True while an extraction run is in progress (its flag is set).
    bool isRunning() const { return m_run->isRunning(); }
    // True while the abbreviation editor is open.
    bool isEditingAbbreviations() const { return m_editingAbbreviations; }

    static int twipsToPixels(int twips, int dotsPerInch);

Q_SIGNALS:
    // The window was closed: the program ends.
    void unloaded();

public Q_SLOTS:
    // The buttons' actions, named after their captions. While a run is
    // going, the first button reads "Stop Extracting" and stops it after
    // the file at hand, as Esc does; the controls that would change what
    // the run reads (the options, the abbreviations, adding to or clearing
    // the input list, drops on it) are disabled.
    void startExtracting();
    void stopExtracting();
    void addFiles();
    void addAllFilesInFolder();
    void editAbbreviations(); // the editor, modal
    void copyResultsToClipboard();
    void saveResultsAsTextFile();
    void saveResultsToExcelFile();
    void clearInputList();
    void clearResultsList();
    void loadSampleFiles();
    // Files and folders dropped on the input list, in the drop's order.
    void addDroppedFiles(const QStringList &paths);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    class ListFlush;

    void setupControls();
    void setupLayout();
    void setupPointerRules();
    void setupKeyboard();
    void connectActions();
    QPushButton *makeButton(MainButton which, const QString &caption);
    ListViewControl *makeList(const QString &name, const QString &hint);

    FillerServices fillerServices();
    ExportServices exportServices();
    EditorServices editorServices();

    void recordSampleSnapshot();
    void openHomePage();
    void addColumn(ListViewControl *list, const QString &header);
    void setColumnWidth(ListViewControl *list);
    void runningChanged(bool running);
    void followListInSummary();
    void refreshSummary();

    MainWindowServices m_services;
    SettingsStore m_store;
    QString m_applicationTitle;

    PointerControl *m_pointer = nullptr;
    OptionsPanel *m_options = nullptr;
    InputListModel *m_inputRows = nullptr;
    ResultsModel *m_resultRows = nullptr;
    ListViewControl *m_inputListView = nullptr;
    ListViewControl *m_resultsListView = nullptr;
    CaptionedProgressBar *m_progressBar = nullptr;
    QTimer *m_summaryDue = nullptr;
    bool m_runGoing = false;
    QLineEdit *m_findBox = nullptr;
    QCheckBox *m_followLinks = nullptr;
    QShortcut *m_stopShortcut = nullptr;
    ResultsColumns *m_resultsColumns = nullptr;
    ResultsMenu *m_resultsMenu = nullptr;
    std::array<QPushButton *, 10> m_buttons{};
    InputListBehaviour *m_inputBehaviour = nullptr;
    ResultsListBehaviour *m_resultsBehaviour = nullptr;
    VisibleTextDelegate *m_resultsDelegate = nullptr;

    std::unique_ptr<ListFlush> m_flush;
    std::unique_ptr<ResultsListData> m_resultsData;  // the texts: clipboard
    std::unique_ptr<ResultsListData> m_resultsTable; // texts and files: files, sheet
    std::unique_ptr<ExtractionRun> m_run;
    bool m_editingAbbreviations = false;
};

} // namespace Quillfen

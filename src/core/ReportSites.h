#pragma once

#include <QString>

// Where the application error report says a failure happened: the
// identifier of each reporting action and the numbers of its statements
// that can fail. Users send these reports in as screenshots and support
// reads them against this list, so a number never moves once shipped.
namespace Quillfen::ReportSites {

namespace StartUp {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.Form_Load ");
enum : int {
    ApplyStyleSheet = 100,
    LoadHandPointer = 104,
    OpenHomePage = 112,
    RecordSamples = 116,
    SetIcon = 120,
    AddInputColumn = 124,
    AddResultsColumn = 128,
    RestoreFirstOption = 132, // and two more for each option after it, to 142
};
} // namespace StartUp

namespace StartExtracting {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton1_Click ");
enum : int {
    InvalidPatternMessage = 102,
    TakeOptions = 102,
    ReadInputRow = 114,
    ReadHtmlFile = 132,
    ReadTextFile = 144,
    HandlePiece = 192,
    DoneMessage = 308,
    NoFilesMessage = 310,
};
} // namespace StartExtracting

namespace AddFiles {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton2_Click ");
enum : int { ChooseFiles = 108, AppendOneFile = 116, AppendEachFile = 122 };
} // namespace AddFiles

namespace AddFolder {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton3_Click ");
enum : int {
    AskExtension = 100,
    SaveExtension = 104,
    ChooseFolder = 106,
    WalkFolders = 114,
    ListFiles = 120,
    AppendFile = 128,
    SaveLastFolder = 334,
};
} // namespace AddFolder

namespace FolderWalk {
inline const QString Identifier =
    QStringLiteral("in Morlecap2021/08/31.AddFolder.GetSubDirectories2016 ");
enum : int {
    TestFolder = 108,
    TestPathLength = 110,
    RecordFolder = 112,
    TestWalkable = 116,
    TestFoundFolder = 154,
    TestFoundWalkable = 158,
};
} // namespace FolderWalk

namespace EditAbbreviations {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton4_Click ");
enum : int { OpenEditor = 100 };
} // namespace EditAbbreviations

namespace CopyResults {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton5_Click ");
enum : int { Copy = 106, Message = 108 };
} // namespace CopyResults

namespace SaveTextFile {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton6_Click ");
enum : int {
    ChooseFile = 114,
    AskOverwrite = 124,
    Open = 132,
    CountRows = 134,
    WriteRow = 138,
    Commit = 142,
};
} // namespace SaveTextFile

namespace SaveExcelFile {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton7_Click ");
enum : int {
    CountRows = 108,
    CreateWorkbook = 112,
    AddSheet = 114,
    ReadHeaderCell = 122,
    WriteFirstHeader = 126,
    WriteHeader = 132,
    ReadChecked = 144,
    ReadCell = 152,
    WriteFirstCell = 156,
    WriteCell = 162,
    FitColumns = 172,
    OpenWorkbook = 174,
    RemoveOldWorkbooks = 180,
    ChooseFile = 182,
    AskOverwrite = 184,
    SaveWorkbook = 186,
};
} // namespace SaveExcelFile

namespace ResultsMenu {
inline const QString Identifier = QStringLiteral("in Quillfen.Form1.ListView2_ContextMenu ");
enum : int {
    CopyRow = 104,
    RemoveDuplicates = 106,
    RemovedMessage = 108,
};
} // namespace ResultsMenu

namespace ClearInputs {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton8_Click ");
enum : int { Clear = 100 };
} // namespace ClearInputs

namespace ClearResults {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton9_Click ");
enum : int { Clear = 100, SetHeader = 102 };
} // namespace ClearResults

namespace LoadSamples {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form1.PushButton10_Click ");
enum : int { Load = 100 };
} // namespace LoadSamples

namespace EditorStartUp {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form2.Form_Load ");
enum : int {
    ApplyColours = 100,
    SetIcon = 102,
    LoadPointer = 104,
    AddColumn = 108,
    ReadStored = 112,
    AppendEntry = 122,
};
} // namespace EditorStartUp

namespace EditorAdd {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form2.PushButton4_Click ");
enum : int { AskText = 100, AppendEntry = 106 };
} // namespace EditorAdd

namespace EditorDelete {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form2.PushButton1_Click ");
enum : int { Delete = 102 };
} // namespace EditorDelete

namespace EditorClear {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form2.PushButton3_Click ");
enum : int { Clear = 100 };
} // namespace EditorClear

namespace EditorClose {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form2.PushButton2_Click ");
enum : int { Close = 100 };
} // namespace EditorClose

namespace EditorSave {
inline const QString Identifier = QStringLiteral("in Brisvane2021/08/31.Form2.Form_QueryUnload ");
enum : int { Save = 108 };
} // namespace EditorSave

} // namespace Quillfen::ReportSites

#include "AbbreviationEditor.h"

#include "abbrev/AbbreviationStore.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "core/SettingsStore.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Client area, list and buttons, in twips.
constexpr int ClientWidth = 8040;
constexpr int ClientHeight = 4950;
constexpr int ListLeft = 120, ListTop = 120, ListWidth = 7800, ListHeight = 3735;
constexpr int ButtonWidth = 3840, ButtonHeight = 405;
constexpr int LeftColumn = 120, RightColumn = 4080, UpperRow = 3930, LowerRow = 4440;
constexpr int ColumnWidth = 6000;

QFont arialBold(qreal points)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

AbbreviationEditor::AbbreviationEditor(EditorServices services, QWidget *parent)
    : QDialog(parent), m_services(std::move(services))
{
    setupWindow();
    setupList();
    setupButtons();
    load();
}

int AbbreviationEditor::pixels(int twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

void AbbreviationEditor::setupWindow()
{
    setObjectName(u"Form2"_s);
    setWindowTitle(u"Ignore These Abbreviations"_s);
    setModal(true);
    setFont(arialBold(9));
    setFixedSize(pixels(ClientWidth), pixels(ClientHeight));
    setMouseTracking(true);
    installEventFilter(this);
}

void AbbreviationEditor::setupList()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"ListView1"_s);
    m_list->setGeometry(pixels(ListLeft), pixels(ListTop), pixels(ListWidth), pixels(ListHeight));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QString()});
    // Qt's tree interface takes no name from the header.
    m_list->setAccessibleName(u"Abbreviation(s)"_s);
    // The column keeps its own width; the rest of the list stays empty.
    m_list->header()->setStretchLastSection(false);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
}

QPushButton *AbbreviationEditor::addButton(const QString &name, const QString &text, int left,
                                           int top)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setGeometry(pixels(left), pixels(top), pixels(ButtonWidth), pixels(ButtonHeight));
    button->setFont(arialBold(11.25));
    button->setAutoDefault(false);
    button->setMouseTracking(true);
    button->installEventFilter(this);
    m_buttons << button;
    return button;
}

void AbbreviationEditor::setupButtons()
{
    connect(addButton(u"PushButton4"_s, u"Add"_s, LeftColumn, UpperRow), &QPushButton::clicked,
            this, &AbbreviationEditor::add);
    connect(addButton(u"PushButton1"_s, u"Delete Selected"_s, RightColumn, UpperRow),
            &QPushButton::clicked, this, &AbbreviationEditor::deleteSelected);
    connect(addButton(u"PushButton3"_s, u"Clear List"_s, LeftColumn, LowerRow),
            &QPushButton::clicked, this, &AbbreviationEditor::clearList);
    connect(addButton(u"PushButton2"_s, u"Close"_s, RightColumn, LowerRow), &QPushButton::clicked,
            this, &AbbreviationEditor::closeWindow);
}

QStringList AbbreviationEditor::entries() const
{
    QStringList texts;
    texts.reserve(m_list->topLevelItemCount());
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        texts << m_list->topLevelItem(i)->text(0);
    return texts;
}

void AbbreviationEditor::appendEntry(const QString &text)
{
    m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
}

bool AbbreviationEditor::containsEntry(const QString &text) const
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->text(0) == text)
            return true;
    }
    return false;
}

void AbbreviationEditor::load()
{
    namespace Site = ReportSites::EditorStartUp;
    ReportingProcedure proc(m_services.boxes, Site::Identifier);
    proc.step(Site::ApplyColours, [&] {
        if (m_services.applySystemColours)
            m_services.applySystemColours(*this);
    });
    proc.step(Site::SetIcon, [&] { setWindowIcon(QApplication::windowIcon()); });
    proc.step(Site::LoadPointer, [&] {
        if (m_services.customPointer) {
            if (std::optional<QCursor> pointer = m_services.customPointer())
                m_customPointer = *pointer;
        }
    });
    proc.step(Site::AddColumn, [&] { m_list->setHeaderLabels({u"Abbreviation(s)"_s}); });
    m_list->setColumnWidth(0, pixels(ColumnWidth));
    // The stored list, or the defaults while nothing is stored; a list
    // emptied on purpose stays empty.
    QStringList shown;
    proc.step(Site::ReadStored, [&] {
        shown = editorAbbreviations(storedAbbreviations(SettingsStore(m_services.settings)));
    });
    for (const QString &entry : std::as_const(shown))
        proc.step(Site::AppendEntry, [&] { appendEntry(entry); });
}

void AbbreviationEditor::add()
{
    namespace Site = ReportSites::EditorAdd;
    ReportingProcedure proc(m_services.boxes, Site::Identifier);
    QString answer;
    proc.step(Site::AskText, [&] {
        answer = m_services.dialogs.askText(u"Enter Abbreviation: "_s, applicationTitle(), {});
    });
    // Blanks typed around an entry would never match a word, so they go. An
    // empty entry or a duplicate (exact, case-sensitive) is ignored without a word.
    const QString entry = answer.trimmed();
    if (!entry.isEmpty() && !containsEntry(entry))
        proc.step(Site::AppendEntry, [&] { appendEntry(entry); });
}

void AbbreviationEditor::deleteSelected()
{
    ReportingProcedure proc(m_services.boxes, ReportSites::EditorDelete::Identifier);
    proc.step(ReportSites::EditorDelete::Delete, [&] {
        const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
        if (!selected.isEmpty())
            delete selected.first();
    });
}

void AbbreviationEditor::clearList()
{
    ReportingProcedure proc(m_services.boxes, ReportSites::EditorClear::Identifier);
    proc.step(ReportSites::EditorClear::Clear, [&] { m_list->clear(); });
}

void AbbreviationEditor::closeWindow()
{
    ReportingProcedure proc(m_services.boxes, ReportSites::EditorClose::Identifier);
    proc.step(ReportSites::EditorClose::Close, [&] { reject(); });
}

void AbbreviationEditor::saveOnClose()
{
    QString value;
    for (const QString &entry : entries())
        value += entry + AbbreviationSeparator;
    ReportingProcedure proc(m_services.boxes, ReportSites::EditorSave::Identifier);
    proc.step(ReportSites::EditorSave::Save,
              [&] { SettingsStore(m_services.settings).save(AbbreviationsKey, value); });
}

void AbbreviationEditor::done(int result)
{
    // The title bar's close box and Escape reach here through reject().
    saveOnClose();
    QDialog::done(result);
}

void AbbreviationEditor::setPointerMode(PointerMode mode)
{
    m_pointerMode = mode;
    switch (mode) {
    case PointerMode::Default:
        setCursor(Qt::ArrowCursor);
        break;
    case PointerMode::Busy:
        setCursor(Qt::WaitCursor);
        break;
    case PointerMode::Custom:
        setCursor(m_customPointer);
        break;
    }
}

bool AbbreviationEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Enter and Return press the focused button, as Space does and as in
    // the main window; a dialog keeps them for a default button otherwise.
    if (event->type() == QEvent::KeyPress && m_buttons.contains(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            auto *button = static_cast<QPushButton *>(watched);
            if (!key->isAutoRepeat() && button->isEnabled())
                button->click();
            return true;
        }
    }
    // Hovering: the custom pointer over a button, the arrow over the list
    // and the window surface; a busy pointer is left alone.
    if ((event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) &&
        m_pointerMode != PointerMode::Busy) {
        const auto *pointer = static_cast<QSinglePointEvent *>(event);
        // A move over a button that the button ignores reaches the window
        // too; only one over the bare surface counts as the surface.
        const bool overSurface = watched == this && !childAt(pointer->position().toPoint());
        if (m_buttons.contains(watched))
            setPointerMode(PointerMode::Custom);
        else if (overSurface || watched == m_list->viewport())
            setPointerMode(PointerMode::Default);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace Quillfen

#pragma once

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowState.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

namespace Quillfen::Testing {

// A platform for tests: records every box shown and answers from a script,
// tracks the pointer and the progress bar, and lets a test act during
// yields, as a user would while a long action runs.
class ScriptedPlatform : public MessageBoxes,
                         public WindowPointer,
                         public ProgressDisplay,
                         public EventLoop,
                         public Dialogs,
                         public Desktop
{
public:
    // A dialog or prompt as it was opened.
    struct DialogRecord
    {
        QString kind;  // "openFiles", "saveFile", "chooseFolder", "askText"
        QString title; // title, prompt text
        QList<FileFilter> filters;
        QString initial; // initial folder or text
        QString caption;
    };

    // Answers for the next boxes, in order. A box with no scripted answer
    // gets Ok (for an Ok box) or No (for a Yes/No box).
    void answerNext(MessageAnswer answer) { m_answers.push_back(answer); }

    const QList<MessageRequest> &shownRequests() const { return m_shown; }
    QStringList shownMessages() const;
    void clearShown() { m_shown.clear(); }

    // Called inside every yield (and inside every box, which is modal and
    // so runs events as well) with the number of yields so far.
    void onYield(std::function<void(int)> action) { m_onYield = std::move(action); }
    void onMessage(std::function<void(const MessageRequest &)> action)
    {
        m_onMessage = std::move(action);
    }
    int yieldCount() const { return m_yields; }

    QList<PointerMode> pointerHistory() const { return m_pointerHistory; }
    double progressValue() const { return m_progressValue; }
    QString progressCaption() const { return m_progressCaption; }
    QStringList captionHistory() const { return m_captionHistory; }

    // Answers for the next dialogs of each kind, in order; an unscripted
    // dialog is cancelled.
    void answerOpenFiles(const QStringList &paths) { m_openAnswers.push_back(paths); }
    // filter: the type filter the user picked (its number from 0).
    void answerSaveFile(const QString &path, int filter = 0)
    {
        m_saveAnswers.push_back(path);
        m_saveFilters.push_back(filter);
    }
    void answerFolder(const QString &folder) { m_folderAnswers.push_back(folder); }
    void answerText(const QString &text) { m_textAnswers.push_back(text); }
    const QList<DialogRecord> &dialogsShown() const { return m_dialogs; }

    // The desktop as the test sets it up and finds it afterwards.
    QStringList openedLocations;
    QStringList openedFiles;
    QStringList shownInFolder;
    // Opening a file or its folder fails: no application, no file manager.
    bool desktopFails = false;
    QString clipboard;
    int clipboardWrites = 0;
    int clipboardAttempts = 0;
    int clipboardBusyAttempts = 0; // the next attempts that fail
    bool spreadsheetAvailable = false;
    QStringList openedWorkbooks;

    MessageAnswer show(const MessageRequest &request) override;
    PointerMode pointerMode() const override { return m_pointer; }
    void setPointerMode(PointerMode mode) override;
    void setProgressValue(double percent) override { m_progressValue = percent; }
    void setProgressCaption(const QString &caption) override;
    void yield() override;

    QStringList openFiles(const QString &title, const QList<FileFilter> &filters,
                          const QString &initialFolder) override;
    QString saveFile(const QString &title, const QList<FileFilter> &filters,
                     const QString &initialFolder, int *chosenFilter = nullptr) override;
    QString chooseFolder(const QString &prompt, const QString &initialFolder) override;
    QString askText(const QString &prompt, const QString &caption,
                    const QString &initialText) override;

    bool openLocation(const QString &folderOrAddress) override;
    bool openFile(const QString &path) override;
    bool showInFolder(const QString &path) override;
    bool clearClipboard() override;
    bool setClipboardText(const QString &text) override;
    bool spreadsheetApplicationAvailable() override { return spreadsheetAvailable; }
    bool openWorkbook(const QString &path) override;

private:
    template <typename T> static T next(std::deque<T> &answers)
    {
        if (answers.empty())
            return T();
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool clipboardAttempt();

    std::deque<MessageAnswer> m_answers;
    std::deque<QStringList> m_openAnswers;
    std::deque<QString> m_saveAnswers;
    std::deque<int> m_saveFilters;
    std::deque<QString> m_folderAnswers;
    std::deque<QString> m_textAnswers;
    QList<DialogRecord> m_dialogs;
    QList<MessageRequest> m_shown;
    std::function<void(int)> m_onYield;
    std::function<void(const MessageRequest &)> m_onMessage;
    int m_yields = 0;
    PointerMode m_pointer = PointerMode::Default;
    QList<PointerMode> m_pointerHistory;
    double m_progressValue = 0;
    QString m_progressCaption = QStringLiteral("Progress Bar");
    QStringList m_captionHistory;
};

} // namespace Quillfen::Testing

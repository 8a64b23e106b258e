#include "ScriptedPlatform.h"

namespace Quillfen::Testing {

QStringList ScriptedPlatform::shownMessages() const
{
    QStringList texts;
    // A box's details follow its text, as the box shows them.
    for (const MessageRequest &request : m_shown)
        texts << (request.details.isEmpty() ? request.text
                                            : request.text + u'\n' + request.details);
    return texts;
}

MessageAnswer ScriptedPlatform::show(const MessageRequest &request)
{
    m_shown << request;
    if (m_onMessage)
        m_onMessage(request);
    if (!m_answers.empty()) {
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

void ScriptedPlatform::setPointerMode(PointerMode mode)
{
    m_pointer = mode;
    if (m_pointerHistory.isEmpty() || m_pointerHistory.last() != mode)
        m_pointerHistory << mode;
}

void ScriptedPlatform::setProgressCaption(const QString &caption)
{
    m_progressCaption = caption;
    if (m_captionHistory.isEmpty() || m_captionHistory.last() != caption)
        m_captionHistory << caption;
}

void ScriptedPlatform::yield()
{
    ++m_yields;
    if (m_onYield)
        m_onYield(m_yields);
}

QStringList ScriptedPlatform::openFiles(const QString &title, const QList<FileFilter> &filters,
                                        const QString &initialFolder)
{
    m_dialogs.append({QStringLiteral("openFiles"), title, filters, initialFolder, {}});
    return next(m_openAnswers);
}

QString ScriptedPlatform::saveFile(const QString &title, const QList<FileFilter> &filters,
                                   const QString &initialFolder, int *chosenFilter)
{
    m_dialogs.append({QStringLiteral("saveFile"), title, filters, initialFolder, {}});
    const int filter = next(m_saveFilters);
    if (chosenFilter)
        *chosenFilter = filter;
    return next(m_saveAnswers);
}

QString ScriptedPlatform::chooseFolder(const QString &prompt, const QString &initialFolder)
{
    m_dialogs.append({QStringLiteral("chooseFolder"), prompt, {}, initialFolder, {}});
    return next(m_folderAnswers);
}

QString ScriptedPlatform::askText(const QString &prompt, const QString &caption,
                                  const QString &initialText)
{
    m_dialogs.append({QStringLiteral("askText"), prompt, {}, initialText, caption});
    return next(m_textAnswers);
}

bool ScriptedPlatform::openLocation(const QString &folderOrAddress)
{
    openedLocations << folderOrAddress;
    return true;
}

bool ScriptedPlatform::openFile(const QString &path)
{
    openedFiles << path;
    return !desktopFails;
}

bool ScriptedPlatform::showInFolder(const QString &path)
{
    shownInFolder << path;
    return !desktopFails;
}

bool ScriptedPlatform::clipboardAttempt()
{
    ++clipboardAttempts;
    if (clipboardBusyAttempts > 0) {
        --clipboardBusyAttempts;
        return false;
    }
    return true;
}

bool ScriptedPlatform::clearClipboard()
{
    if (!clipboardAttempt())
        return false;
    clipboard.clear();
    return true;
}

bool ScriptedPlatform::setClipboardText(const QString &text)
{
    if (!clipboardAttempt())
        return false;
    clipboard = text;
    ++clipboardWrites;
    return true;
}

bool ScriptedPlatform::openWorkbook(const QString &path)
{
    openedWorkbooks << path;
    return true;
}

} // namespace Quillfen::Testing

#include "ScriptedPlatform.h"

namespace Quillfen {

QStringList ScriptedPlatform::shownMessages() const
{
    QStringList texts;
    for (const MessageRequest &request : m_shown)
        texts << request.text;
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

} // namespace Quillfen

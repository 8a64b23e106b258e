#pragma once

#include "platform/MessageBoxes.h"
#include "platform/WindowState.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace Quillfen {

// A platform for tests: records every box shown and answers from a script,
// tracks the pointer and the progress bar, and lets a test act during
// yields, as a user would while a long action runs.
class ScriptedPlatform : public MessageBoxes, public WindowPointer, public ProgressDisplay,
                         public EventLoop
{
public:
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

    MessageAnswer show(const MessageRequest &request) override;
    PointerMode pointerMode() const override { return m_pointer; }
    void setPointerMode(PointerMode mode) override;
    void setProgressValue(double percent) override { m_progressValue = percent; }
    void setProgressCaption(const QString &caption) override;
    void yield() override;

private:
    std::deque<MessageAnswer> m_answers;
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

} // namespace Quillfen

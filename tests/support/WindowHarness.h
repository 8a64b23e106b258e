#pragma once

#include "MemorySettingsArea.h"
#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "core/ApplicationError.h"
#include "results/ResultsModel.h"
#include "windows/main/HomePage.h"
#include "windows/main/MainWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <memory>

namespace Quillfen::Testing {

// A main window on the scripted platform, with settings in memory and a
// data folder of its own. Set what a test needs, then start().
class WindowHarness
{
public:
    ScriptedPlatform platform;
    MemorySettingsArea settings;
    TreeFixture dataFolder;
    TreeFixture files; // input files
    TreeFixture workbooks;

    QString homePage;
    quint32 seed = seedNotDrawing(HomePageNumber);
    // Zero yields at every point, which the scripted yields make visible.
    std::chrono::milliseconds yieldInterval{0};
    std::unique_ptr<MainWindow> window;

    WindowHarness() { dataFolder.folder(QStringLiteral("Samples")); }

    MainWindow &start()
    {
        window = std::make_unique<MainWindow>(
            MainWindowServices{.boxes = platform,
                               .settings = settings,
                               .loop = platform,
                               .dialogs = platform,
                               .desktop = platform,
                               .applicationFolder = dataFolder.root(),
                               .homePageAddress = homePage,
                               .drawSeed = [this] { return seed; },
                               .yieldInterval = yieldInterval,
                               .exportYieldInterval = std::chrono::milliseconds(0),
                               .workbookFolder = workbooks.root()});
        window->startUp();
        return *window;
    }

    MainWindow &startShown()
    {
        start();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("The window was not exposed");
        return *window;
    }

    void store(const QString &key, const QString &value)
    {
        settings.setValue(SettingsStore::Application, SettingsStore::Section, key, value);
    }
    QString stored(const QString &key)
    {
        return settings.value(SettingsStore::Application, SettingsStore::Section, key)
            .value_or(QString());
    }

    static quint32 seedDrawing(int number)
    {
        for (quint32 seed = 0;; ++seed) {
            if (homePageDraw(seed) == number)
                return seed;
        }
    }
    static quint32 seedNotDrawing(int number)
    {
        for (quint32 seed = 0;; ++seed) {
            if (homePageDraw(seed) != number)
                return seed;
        }
    }

    // A pointer movement without a button, delivered to the widget itself
    // (QTest moves the system pointer instead, which sends nothing
    // offscreen).
    static void moveOver(QWidget *widget, QPoint position = {})
    {
        if (position.isNull())
            position = widget->rect().center();
        QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    static QString report(const QString &procedure, int statement, const QString &description)
    {
        return applicationErrorText(procedure, statement, description);
    }
};

// Appends rows to the results list as a run does, then unticks the rows
// numbered (from 0) in unchecked.
inline void fillResults(MainWindow &window, const QStringList &rows,
                        const QList<int> &unchecked = {})
{
    ResultsModel &results = window.results();
    for (const QString &row : rows)
        results.append(row);
    results.flushRows();
    for (int row : unchecked)
        results.setData(results.index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
}

inline QStringList resultTexts(const ResultsModel &results)
{
    QStringList texts;
    for (int i = 0; i < results.rowCount(); ++i)
        texts << results.rowText(i);
    return texts;
}

// Counts the events of one type an object receives.
class EventCounter final : public QObject
{
public:
    EventCounter(QObject *target, QEvent::Type type) : m_type(type)
    {
        target->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    QEvent::Type m_type;
};

} // namespace Quillfen::Testing

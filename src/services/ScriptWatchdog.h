#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <memory>

class QJSEngine;
class QThread;

// Interrupts the engines of one script call once they have run longer than the time limit.
// Time spent waiting (HTTP requests made for the script, the sandbox lock) is paused out, so
// only the script's own running time counts.
class ScriptWatchdog
{
public:
    explicit ScriptWatchdog(qint64 limitMs);
    ~ScriptWatchdog();
    ScriptWatchdog(const ScriptWatchdog&) = delete;
    ScriptWatchdog& operator=(const ScriptWatchdog&) = delete;

    // Engines to interrupt; nested engines (the page sandbox) join while they run.
    void watch(QJSEngine* engine);
    void unwatch(QJSEngine* engine);

    void pause();
    void resume();
    bool hasFired() const;

    // The limit every script call gets; tests shorten it.
    static qint64 defaultLimitMs();
    static void setDefaultLimitMs(qint64 limitMs);

private:
    void run();

    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    QList<QJSEngine*> m_engines;
    QElapsedTimer m_runningSince;
    qint64 m_remainingMs = 0;
    int m_pauseDepth = 0;
    bool m_stopping = false;
    bool m_fired = false;
    std::unique_ptr<QThread> m_thread;
};

// Pauses a watchdog for the life of the object; a null watchdog is allowed.
class ScriptWatchdogPause
{
public:
    explicit ScriptWatchdogPause(ScriptWatchdog* watchdog);
    ~ScriptWatchdogPause();
    ScriptWatchdogPause(const ScriptWatchdogPause&) = delete;
    ScriptWatchdogPause& operator=(const ScriptWatchdogPause&) = delete;

private:
    ScriptWatchdog* m_watchdog;
};

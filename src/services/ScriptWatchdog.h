#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <functional>
#include <map>
#include <memory>

class QJSEngine;
class QThread;

// Interrupts the engines of one script call once they have run longer than the time limit.
// Time spent waiting (HTTP requests made for the script, the sandbox lock) is paused out of
// that limit, so only the script's own running time counts. A second, wall-clock limit counts
// everything, waits included: a script that keeps fetching cannot run (and keep hitting a
// server) forever. When either limit strikes, the request the script waits on is aborted.
class ScriptWatchdog
{
public:
    enum Reason { NotFired, RunningTime, WallClock, Cancelled };

    explicit ScriptWatchdog(qint64 limitMs, qint64 wallClockLimitMs = defaultWallClockLimitMs());
    ~ScriptWatchdog();
    ScriptWatchdog(const ScriptWatchdog&) = delete;
    ScriptWatchdog& operator=(const ScriptWatchdog&) = delete;

    // Engines to interrupt; nested engines (the page sandbox) join while they run.
    void watch(QJSEngine* engine);
    void unwatch(QJSEngine* engine);

    // What aborts the request a script waits on; called, from the watchdog's thread, when a
    // limit strikes. Gives 0 (do not send the request) once the watchdog has fired, else an
    // id for unwatchRequest().
    int watchRequest(std::function<void()> abort);
    void unwatchRequest(int id);

    void pause();
    void resume();
    // Stops the call now, as if a limit had struck (the program is quitting).
    void cancel();
    bool hasFired() const;
    Reason reason() const;
    qint64 limitMs() const { return m_limitMs; }
    qint64 wallClockLimitMs() const { return m_wallClockLimitMs; }

    // The limits every script call gets; tests shorten them.
    static qint64 defaultLimitMs();
    static void setDefaultLimitMs(qint64 limitMs);
    static qint64 defaultWallClockLimitMs();
    static void setDefaultWallClockLimitMs(qint64 limitMs);

private:
    void run();
    // With the lock held.
    void fire(Reason reason);

    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    QList<QJSEngine*> m_engines;
    std::map<int, std::function<void()>> m_requests;
    int m_lastRequestId = 0;
    const qint64 m_limitMs;
    const qint64 m_wallClockLimitMs;
    QElapsedTimer m_started;
    QElapsedTimer m_runningSince;
    qint64 m_remainingMs = 0;
    int m_pauseDepth = 0;
    bool m_stopping = false;
    Reason m_reason = NotFired;
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

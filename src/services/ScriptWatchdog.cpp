#include "ScriptWatchdog.h"

#include <QDeadlineTimer>
#include <QJSEngine>
#include <QThread>

#include <atomic>

namespace {

std::atomic<qint64> s_defaultLimitMs { 30000 };
std::atomic<qint64> s_defaultWallClockLimitMs { 120000 };

} // namespace

ScriptWatchdog::ScriptWatchdog(qint64 limitMs, qint64 wallClockLimitMs)
    : m_limitMs(limitMs)
    , m_wallClockLimitMs(wallClockLimitMs)
    , m_remainingMs(limitMs)
{
    m_started.start();
    m_runningSince.start();
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start();
}

ScriptWatchdog::~ScriptWatchdog()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_changed.wakeAll();
    }
    m_thread->wait();
}

void ScriptWatchdog::watch(QJSEngine* engine)
{
    QMutexLocker lock(&m_mutex);
    m_engines.append(engine);
    if (m_reason != NotFired)
        engine->setInterrupted(true);
}

void ScriptWatchdog::unwatch(QJSEngine* engine)
{
    QMutexLocker lock(&m_mutex);
    m_engines.removeAll(engine);
}

int ScriptWatchdog::watchRequest(std::function<void()> abort)
{
    QMutexLocker lock(&m_mutex);
    if (m_reason != NotFired)
        return 0;
    m_requests.emplace(++m_lastRequestId, std::move(abort));
    return m_lastRequestId;
}

void ScriptWatchdog::unwatchRequest(int id)
{
    QMutexLocker lock(&m_mutex);
    m_requests.erase(id);
}

void ScriptWatchdog::cancel()
{
    QMutexLocker lock(&m_mutex);
    if (m_reason == NotFired)
        fire(Cancelled);
}

void ScriptWatchdog::pause()
{
    QMutexLocker lock(&m_mutex);
    if (m_pauseDepth++ == 0) {
        m_remainingMs -= m_runningSince.elapsed();
        m_changed.wakeAll();
    }
}

void ScriptWatchdog::resume()
{
    QMutexLocker lock(&m_mutex);
    if (m_pauseDepth > 0 && --m_pauseDepth == 0) {
        m_runningSince.restart();
        m_changed.wakeAll();
    }
}

bool ScriptWatchdog::hasFired() const
{
    QMutexLocker lock(&m_mutex);
    return m_reason != NotFired;
}

ScriptWatchdog::Reason ScriptWatchdog::reason() const
{
    QMutexLocker lock(&m_mutex);
    return m_reason;
}

void ScriptWatchdog::run()
{
    QMutexLocker lock(&m_mutex);
    while (!m_stopping && m_reason == NotFired) {
        const qint64 wallClockLeft = m_wallClockLimitMs - m_started.elapsed();
        if (wallClockLeft <= 0) {
            fire(WallClock);
            break;
        }
        if (m_pauseDepth > 0) {
            m_changed.wait(&m_mutex, QDeadlineTimer(wallClockLeft));
            continue;
        }
        const qint64 runningLeft = m_remainingMs - m_runningSince.elapsed();
        if (runningLeft <= 0) {
            fire(RunningTime);
            break;
        }
        m_changed.wait(&m_mutex, QDeadlineTimer(qMin(runningLeft, wallClockLeft)));
    }
}

void ScriptWatchdog::fire(Reason reason)
{
    m_reason = reason;
    for (QJSEngine* engine : std::as_const(m_engines))
        engine->setInterrupted(true);
    for (const auto& request : m_requests)
        request.second();
    m_changed.wakeAll();
}

qint64 ScriptWatchdog::defaultLimitMs()
{
    return s_defaultLimitMs;
}

void ScriptWatchdog::setDefaultLimitMs(qint64 limitMs)
{
    s_defaultLimitMs = limitMs;
}

qint64 ScriptWatchdog::defaultWallClockLimitMs()
{
    return s_defaultWallClockLimitMs;
}

void ScriptWatchdog::setDefaultWallClockLimitMs(qint64 limitMs)
{
    s_defaultWallClockLimitMs = limitMs;
}

ScriptWatchdogPause::ScriptWatchdogPause(ScriptWatchdog* watchdog)
    : m_watchdog(watchdog)
{
    if (m_watchdog)
        m_watchdog->pause();
}

ScriptWatchdogPause::~ScriptWatchdogPause()
{
    if (m_watchdog)
        m_watchdog->resume();
}

#include "ScriptWatchdog.h"

#include <QDeadlineTimer>
#include <QJSEngine>
#include <QThread>

#include <atomic>

namespace {

std::atomic<qint64> s_defaultLimitMs { 30000 };

} // namespace

ScriptWatchdog::ScriptWatchdog(qint64 limitMs)
    : m_remainingMs(limitMs)
{
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
    if (m_fired)
        engine->setInterrupted(true);
}

void ScriptWatchdog::unwatch(QJSEngine* engine)
{
    QMutexLocker lock(&m_mutex);
    m_engines.removeAll(engine);
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
    return m_fired;
}

void ScriptWatchdog::run()
{
    QMutexLocker lock(&m_mutex);
    while (!m_stopping && !m_fired) {
        if (m_pauseDepth > 0) {
            m_changed.wait(&m_mutex);
            continue;
        }
        const qint64 left = m_remainingMs - m_runningSince.elapsed();
        if (left > 0) {
            m_changed.wait(&m_mutex, QDeadlineTimer(left));
            continue;
        }
        m_fired = true;
        for (QJSEngine* engine : std::as_const(m_engines))
            engine->setInterrupted(true);
    }
}

qint64 ScriptWatchdog::defaultLimitMs()
{
    return s_defaultLimitMs;
}

void ScriptWatchdog::setDefaultLimitMs(qint64 limitMs)
{
    s_defaultLimitMs = limitMs;
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

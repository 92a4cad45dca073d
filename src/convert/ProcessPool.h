#pragma once

#include "ProcessCancellation.h"

#include <QMutex>
#include <QThreadPool>
#include <QtConcurrent>

#include <functional>
#include <memory>
#include <vector>

// The threads that external programs (the download helper, ffmpeg, ffprobe) run on: apart
// from browsing work, bounded, and the one place that ends every child when the program
// quits. Work started here gets a cancellation handle that cancelAll() reaches too.
class ProcessPool
{
public:
    static constexpr int defaultMaxThreads = 3;

    explicit ProcessPool(int maxThreads = defaultMaxThreads);
    // Cancels everything and waits for the workers.
    ~ProcessPool();
    ProcessPool(const ProcessPool&) = delete;
    ProcessPool& operator=(const ProcessPool&) = delete;

    int maxThreadCount() const { return m_pool.maxThreadCount(); }
    int activeThreadCount() const { return m_pool.activeThreadCount(); }

    // A handle for one piece of work; already cancelled once cancelAll() was called.
    std::shared_ptr<ProcessCancellation> newCancellation();

    // Runs "work" on the pool; it gets "cancellation" (from newCancellation(), kept by the
    // caller to end the work) or a handle of its own.
    template<typename Work> auto run(Work work, std::shared_ptr<ProcessCancellation> cancellation)
    {
        return QtConcurrent::run(
            &m_pool, [work = std::move(work), cancellation]() { return work(cancellation); });
    }
    template<typename Work> auto run(Work work) { return run(std::move(work), newCancellation()); }

    // Runs "work" on the pool and blocks the calling thread (a worker of another pool) until
    // it is done.
    void runAndWait(const std::function<void(const std::shared_ptr<ProcessCancellation>&)>& work);

    // Ends every running program and refuses new ones (the program is quitting).
    void cancelAll();
    bool waitForDone(int msecs = -1) { return m_pool.waitForDone(msecs); }

private:
    void track(const std::shared_ptr<ProcessCancellation>& cancellation);

    QMutex m_mutex;
    std::vector<std::weak_ptr<ProcessCancellation>> m_handles;
    bool m_cancelledAll = false;
    QThreadPool m_pool;
};

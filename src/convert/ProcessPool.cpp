#include "ProcessPool.h"

#include <QSemaphore>

#include <algorithm>

ProcessPool::ProcessPool(int maxThreads)
{
    m_pool.setMaxThreadCount(maxThreads);
}

ProcessPool::~ProcessPool()
{
    cancelAll();
    m_pool.waitForDone();
}

std::shared_ptr<ProcessCancellation> ProcessPool::newCancellation()
{
    auto cancellation = std::make_shared<ProcessCancellation>();
    track(cancellation);
    return cancellation;
}

void ProcessPool::track(const std::shared_ptr<ProcessCancellation>& cancellation)
{
    QMutexLocker lock(&m_mutex);
    if (m_cancelledAll) {
        cancellation->cancel();
        return;
    }
    // Handles of finished work are dropped as new ones come.
    m_handles.erase(std::remove_if(m_handles.begin(), m_handles.end(),
                        [](const auto& handle) { return handle.expired(); }),
        m_handles.end());
    m_handles.push_back(cancellation);
}

void ProcessPool::runAndWait(
    const std::function<void(const std::shared_ptr<ProcessCancellation>&)>& work)
{
    // QFuture::waitForFinished() could take the queued work over onto this thread, past the
    // bound; a semaphore only waits.
    QSemaphore done;
    run([&work, &done](const std::shared_ptr<ProcessCancellation>& cancellation) {
        work(cancellation);
        done.release();
    });
    done.acquire();
}

void ProcessPool::cancelAll()
{
    QMutexLocker lock(&m_mutex);
    m_cancelledAll = true;
    for (const auto& handle : m_handles) {
        if (const std::shared_ptr<ProcessCancellation> cancellation = handle.lock())
            cancellation->cancel();
    }
    m_handles.clear();
}

#pragma once

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent>

#include <functional>

// One reader of a fetcher and its run on the global thread pool. When the run object goes
// away while the reader is still working, neither the user interface waits nor is the reader
// deleted under the worker: the reader, and the result it will deliver, are released once the
// worker is done.
template<typename Result, typename Reader> class ReaderRun
{
public:
    using Dispose = std::function<void(Result)>;

    ReaderRun(Reader* reader, Dispose dispose)
        : m_reader(reader)
        , m_dispose(std::move(dispose))
    { }

    ~ReaderRun()
    {
        m_watcher.disconnect();
        if (!m_started || m_taken) {
            delete m_reader;
            return;
        }
        releaseWhenFinished(m_watcher.future(), m_reader, m_dispose);
    }

    ReaderRun(const ReaderRun&) = delete;
    ReaderRun& operator=(const ReaderRun&) = delete;

    Reader* reader() const { return m_reader; }
    const QFutureWatcher<Result>& watcher() const { return m_watcher; }

    template<typename Method, typename... Args> void start(Method method, Args&&... args)
    {
        m_started = true;
        m_taken = false;
        m_watcher.setFuture(QtConcurrent::run(
            QThreadPool::globalInstance(), method, m_reader, std::forward<Args>(args)...));
    }

    // The finished run's result, now the caller's.
    Result take()
    {
        m_taken = true;
        return m_watcher.result();
    }

private:
    static void releaseWhenFinished(
        const QFuture<Result>& future, Reader* reader, const Dispose& dispose)
    {
        if (future.isFinished()) {
            if (future.resultCount() > 0)
                dispose(future.result());
            delete reader;
            return;
        }
        auto* watcher = new QFutureWatcher<Result>();
        QObject::connect(
            watcher, &QFutureWatcherBase::finished, watcher, [watcher, reader, dispose] {
                if (watcher->future().resultCount() > 0)
                    dispose(watcher->result());
                delete reader;
                watcher->deleteLater();
            });
        watcher->setFuture(future);
    }

    Reader* m_reader;
    Dispose m_dispose;
    QFutureWatcher<Result> m_watcher;
    bool m_started = false;
    bool m_taken = false;
};

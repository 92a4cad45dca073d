#pragma once

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent>

#include <functional>
#include <memory>

// One reader of a fetcher and its run on the global thread pool. The worker shares the
// reader, so a fetcher deleted while the reader works neither waits nor leaves the worker
// with a deleted reader. Results are values: the fetcher copies what it keeps, and a result
// nobody took goes away with its future.
template<typename Result, typename Reader> class ReaderRun
{
public:
    explicit ReaderRun(std::shared_ptr<Reader> reader)
        : m_reader(std::move(reader))
    { }

    ~ReaderRun() { m_watcher.disconnect(); }

    ReaderRun(const ReaderRun&) = delete;
    ReaderRun& operator=(const ReaderRun&) = delete;

    // Read by the fetcher's thread only once the run has finished.
    Reader* reader() const { return m_reader.get(); }
    const QFutureWatcher<Result>& watcher() const { return m_watcher; }

    template<typename Method, typename... Args> void start(Method method, Args... args)
    {
        m_watcher.setFuture(QtConcurrent::run(
            QThreadPool::globalInstance(), [reader = m_reader, method, args...]() {
                return std::invoke(method, reader.get(), args...);
            }));
    }

    // The finished run's result.
    Result result() const { return m_watcher.result(); }

private:
    std::shared_ptr<Reader> m_reader;
    QFutureWatcher<Result> m_watcher;
};

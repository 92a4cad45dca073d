#pragma once

#include <atomic>

// Asks a running external program to end. The caller that started the work keeps the handle
// and may cancel from any thread; SystemProcess, on its worker, then terminates the child
// and kills it when it has not ended after the grace period. A handle cancelled before the
// run starts nothing.
class ProcessCancellation
{
public:
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

private:
    std::atomic<bool> m_cancelled { false };
};

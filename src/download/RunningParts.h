#pragma once

#include <QObject>

// The program-wide count of part requests that hold a connection slot. Plain file requests
// start a part only while fewer than limit() run; HLS segments are counted without waiting.
// Every released slot is announced, so a request that found no free slot starts its parts
// as soon as another request's part ends. Main thread only.
class RunningParts : public QObject
{
    Q_OBJECT
public:
    static RunningParts* instance();

    static constexpr int limit() { return 5; }
    int count() const { return m_count; }
    bool hasFreeSlot() const { return m_count < limit(); }

    void acquire();
    void release();

signals:
    void slotReleased();

private:
    RunningParts() = default;
    int m_count = 0;
};

#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <QString>

// The one-line progress display of a download: bar, bytes, speed and remaining time. The
// speed is taken over the last few seconds so that it follows the transfer as it changes.
class FetchProgress
{
public:
    FetchProgress();

    // Records the bytes received so far and returns the line to show.
    QString update(qint64 bytesReceived, qint64 contentLength);

    double secondsElapsed() const { return m_clock.elapsed() / 1000.0; }

    static QString formatBytes(qint64 bytes);
    static QString formatDuration(qint64 seconds);
    static QString bar(qint64 done, qint64 total, int width);

private:
    double bytesPerSecond() const;

    QElapsedTimer m_clock;
    // (milliseconds since start, bytes received) over the recent window.
    QList<QPair<qint64, qint64>> m_samples;
};

#include "FetchProgress.h"

namespace {

constexpr qint64 kWindowMs = 3000;

} // namespace

FetchProgress::FetchProgress()
{
    m_clock.start();
}

QString FetchProgress::update(qint64 bytesReceived, qint64 contentLength)
{
    const qint64 now = m_clock.elapsed();
    m_samples.append({ now, bytesReceived });
    while (m_samples.size() > 2 && now - m_samples.first().first > kWindowMs)
        m_samples.removeFirst();

    const double speed = bytesPerSecond();
    QString line;
    if (contentLength > 0) {
        const qint64 shown = qMin(bytesReceived, contentLength);
        line = QStringLiteral("%1 %2% %3 of %4")
                   .arg(bar(shown, contentLength, 30))
                   .arg(int(shown * 100 / contentLength), 3)
                   .arg(formatBytes(shown), formatBytes(contentLength));
    } else {
        line = formatBytes(bytesReceived);
    }
    line += QStringLiteral("  %1/s").arg(formatBytes(qint64(speed)));
    if (contentLength > 0 && speed > 0) {
        const qint64 left = qMax<qint64>(0, contentLength - bytesReceived);
        line += QStringLiteral("  ETA %1").arg(formatDuration(qint64(left / speed)));
    }
    return line;
}

double FetchProgress::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return 0;
    const qint64 ms = m_samples.last().first - m_samples.first().first;
    const qint64 bytes = m_samples.last().second - m_samples.first().second;
    return ms > 0 ? bytes * 1000.0 / ms : 0;
}

QString FetchProgress::formatBytes(qint64 bytes)
{
    static const char* const units[] = { "B", "KiB", "MiB", "GiB", "TiB" };
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    return unit == 0
        ? QStringLiteral("%1 B").arg(bytes)
        : QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString FetchProgress::formatDuration(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const qint64 rest = seconds % 60;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

QString FetchProgress::bar(qint64 done, qint64 total, int width)
{
    const int filled = total > 0 ? int(done * width / total) : 0;
    return QLatin1Char('[') + QString(filled, QLatin1Char('#'))
        + QString(width - filled, QLatin1Char('-')) + QLatin1Char(']');
}

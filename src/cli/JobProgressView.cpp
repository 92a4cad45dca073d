#include "JobProgressView.h"

#include "download/ProcessingElement.h"
#include "services/MediaItem.h"

#include <QCoreApplication>

#include <cstdio>

JobProgressView::JobProgressView(bool enabled)
    : m_enabled(enabled)
{ }

QString JobProgressView::remainingText(int seconds)
{
    if (seconds < 0)
        return QCoreApplication::translate("DownloadItemForm", "Calculating...");
    if (seconds < 60)
        return QCoreApplication::translate("DownloadItemForm", "Less than a minute");
    if (seconds < 3600)
        return QCoreApplication::translate("minute", "About %Ln minute(s)", nullptr, seconds / 60);
    return QCoreApplication::translate("hour", "About %Ln hour(s)", nullptr, seconds / 3600)
        + QStringLiteral(" and ")
        + QCoreApplication::translate("minute", "%Ln minute(s)", nullptr, (seconds % 3600) / 60);
}

QString JobProgressView::lineFor(const ProcessingElement& job)
{
    const QString title = job.mediaItem().title().left(40);
    QString line = QStringLiteral("[%1] %2: %3")
                       .arg(job.recordId())
                       .arg(title, ProcessingStates::displayName(job.state()));
    if (job.state() == ProcessingStates::Downloading) {
        const double done = double(job.bytesReceived()) / 1024 / 1024;
        line += QStringLiteral("  %1%  %2 MB of %3 MB  %4")
                    .arg(job.progress())
                    .arg(job.bytesReceived() > 0 ? QString::number(done, 'f', 2)
                                                 : QStringLiteral("0"))
                    .arg(job.sizeInMiB(), 0, 'f', 2)
                    .arg(remainingText(job.remainingSeconds()));
    } else if (job.state() == ProcessingStates::Error) {
        line += QStringLiteral(": ") + job.errorText();
    }
    if (job.isHeld())
        line += QStringLiteral(" (paused)");
    return line;
}

void JobProgressView::clear()
{
    if (!m_enabled || m_linesShown == 0)
        return;
    std::fprintf(stdout, "\033[%dA", m_linesShown);
    for (int i = 0; i < m_linesShown; ++i)
        std::fputs("\033[2K\n", stdout);
    std::fprintf(stdout, "\033[%dA", m_linesShown);
    m_linesShown = 0;
}

void JobProgressView::redraw()
{
    if (!m_enabled)
        return;
    clear();
    for (const ProcessingElement* job : std::as_const(m_jobs)) {
        std::fputs(lineFor(*job).toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        ++m_linesShown;
    }
    std::fflush(stdout);
}

void JobProgressView::printAbove(const QString& text, bool toError)
{
    clear();
    std::fflush(stdout);
    FILE* stream = toError ? stderr : stdout;
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    redraw();
}

void JobProgressView::finish()
{
    redraw();
    m_linesShown = 0;
}

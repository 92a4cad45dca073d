#include "ProcessingQueue.h"

#include "ProcessingElement.h"

#include <QDir>
#include <QFileInfo>

ProcessingQueue::ProcessingQueue(bool paused, SettingsSource settings, QObject* parent)
    : QObject(parent)
    , m_paused(paused)
    , m_settings(std::move(settings))
{ }

ProcessingQueue::~ProcessingQueue() = default;

bool ProcessingQueue::addJob(ProcessingElement* job)
{
    if (!job)
        return false;
    if (connect(job, &ProcessingElement::cancelDownload, this, &ProcessingQueue::onProcessCancelled,
            Qt::UniqueConnection)) {
        // A job deleted by its owner must not stay behind as a dangling running entry.
        connect(job, &QObject::destroyed, this, [this, job] { m_running.remove(job); });
    }
    if (!ProcessingStates::isUnfinished(job->state()) || contains(job))
        return true;
    // A job the person paused stays paused; a paused queue holds every new job.
    job->setHeld(m_paused || job->isHeld());
    m_waiting.append(job);
    startNext();
    // Nothing started: the new job still counts in the queue.
    emitUpdated();
    return true;
}

void ProcessingQueue::removeJob(ProcessingElement* job)
{
    if (!job)
        return;
    const bool wasRunning = m_running.contains(job);
    forget(job);
    disconnect(job, &ProcessingElement::cancelDownload, this, &ProcessingQueue::onProcessCancelled);
    m_waiting.removeAll(QPointer<ProcessingElement>(job));
    emitUpdated();
    if (wasRunning)
        startNext();
}

bool ProcessingQueue::contains(const ProcessingElement* job) const
{
    if (m_running.contains(const_cast<ProcessingElement*>(job)))
        return true;
    for (const QPointer<ProcessingElement>& waiting : m_waiting) {
        if (waiting == job)
            return true;
    }
    return false;
}

void ProcessingQueue::startNext()
{
    const Settings settings = m_settings ? m_settings() : Settings();
    // A job that cannot start (cancelled or removed while it waited) makes room for the next
    // one at once; the queue must not stall on it.
    while (!m_waiting.isEmpty() && m_running.size() < qMax(1, settings.simultaneousDownloads)
        && !m_paused) {
        const QPointer<ProcessingElement> job = m_waiting.takeFirst();
        if (!job || job->state() == ProcessingStates::Cancelled)
            continue;
        const QString problem = checkDestination(settings.destination);
        if (!problem.isEmpty()) {
            m_paused = true;
            job->cancel();
            emit destinationProblem(problem);
            break;
        }
        if (startJob(job)) {
            prefetchNext();
            return;
        }
    }
    prefetchNext();
    emitUpdated();
}

void ProcessingQueue::prefetchNext()
{
    if (m_paused)
        return;
    int ahead = 0;
    for (const QPointer<ProcessingElement>& job : std::as_const(m_waiting)) {
        if (ahead == prefetchDepth)
            return;
        if (job && job->state() != ProcessingStates::Cancelled) {
            if (!job->isHeld())
                job->prefetchUrls();
            ++ahead;
        }
    }
}

bool ProcessingQueue::startJob(ProcessingElement* job)
{
    if (!job || job->state() == ProcessingStates::Cancelled)
        return false;
    connect(job, &ProcessingElement::downloadFinishedSignal, this,
        &ProcessingQueue::downloadFinished, Qt::UniqueConnection);
    connect(job, &ProcessingElement::finishedSignal, this, &ProcessingQueue::onProcessFinished,
        Qt::UniqueConnection);
    connect(job, &ProcessingElement::error, this, &ProcessingQueue::error, Qt::UniqueConnection);
    connect(this, &ProcessingQueue::limitBandwidthChanged, job,
        &ProcessingElement::onLimitBandwidthChanged, Qt::UniqueConnection);
    m_running.insert(job);
    emitUpdated();
    job->start();
    return true;
}

QString ProcessingQueue::checkDestination() const
{
    return checkDestination(m_settings ? m_settings().destination : QString());
}

QString ProcessingQueue::checkDestination(const QString& destination)
{
    // "folder/" names no file when a file stands in the folder's place.
    QString path = destination;
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator())))
        path.chop(1);
    const QFileInfo info(path);
    // Existence first: a missing folder has no permissions either, and "not writable" would
    // send the person looking for the wrong fault.
    if (destination.isEmpty() || !info.exists())
        return tr("The download destination\n%1\ndoes not exist.\n\nPlease check your settings.")
            .arg(destination);
    if (!info.isDir() || !info.isWritable())
        return tr("The download destination\n%1\nis not writable.\n\nPlease check your settings.")
            .arg(destination);
    return QString();
}

void ProcessingQueue::setPaused(bool paused)
{
    m_paused = paused;
    for (const QPointer<ProcessingElement>& job : std::as_const(m_waiting)) {
        if (job && job->state() == ProcessingStates::Waiting)
            job->pause(paused);
        else if (job)
            job->setHeld(paused);
    }
    for (ProcessingElement* job : std::as_const(m_running))
        job->pause(paused);
    if (!paused)
        startNext();
}

void ProcessingQueue::pauseRunningDownloadsTemporarily()
{
    for (ProcessingElement* job : std::as_const(m_running)) {
        if (job->state() == ProcessingStates::Downloading)
            job->pauseDownloadTemp();
    }
}

void ProcessingQueue::resumeRunningDownloadsTemporarily()
{
    for (ProcessingElement* job : std::as_const(m_running)) {
        if (job->state() == ProcessingStates::Downloading)
            job->resumeDownloadTemp();
    }
}

void ProcessingQueue::reportStatus()
{
    emitUpdated();
}

void ProcessingQueue::downloadFinished()
{
    auto* job = qobject_cast<ProcessingElement*>(sender());
    if (!job)
        return;
    // The job may still be converting; its network share is free for the next one.
    m_running.remove(job);
    startNext();
}

void ProcessingQueue::onProcessFinished()
{
    jobDone(qobject_cast<ProcessingElement*>(sender()));
}

void ProcessingQueue::error(QString text)
{
    Q_UNUSED(text)
    jobDone(qobject_cast<ProcessingElement*>(sender()));
}

void ProcessingQueue::onProcessCancelled()
{
    auto* job = qobject_cast<ProcessingElement*>(sender());
    if (!job)
        return;
    m_running.remove(job);
    emitUpdated();
    jobDone(job);
}

void ProcessingQueue::onLimitBandwidthChanged(bool doLimitBandwidth)
{
    emit limitBandwidthChanged(doLimitBandwidth);
}

void ProcessingQueue::forget(ProcessingElement* job)
{
    disconnect(
        job, &ProcessingElement::downloadFinishedSignal, this, &ProcessingQueue::downloadFinished);
    disconnect(job, &ProcessingElement::finishedSignal, this, &ProcessingQueue::onProcessFinished);
    disconnect(job, &ProcessingElement::error, this, &ProcessingQueue::error);
    disconnect(this, &ProcessingQueue::limitBandwidthChanged, job,
        &ProcessingElement::onLimitBandwidthChanged);
    m_running.remove(job);
}

void ProcessingQueue::jobDone(ProcessingElement* job)
{
    if (!job)
        return;
    forget(job);
    const int state = job->state();
    if (state == ProcessingStates::Finished)
        ++m_successesSinceReport;
    else if (state == ProcessingStates::Error)
        ++m_errorsSinceReport;
    if (isIdle() && (m_successesSinceReport > 0 || m_errorsSinceReport > 0)) {
        const QString message = queueFinishedMessage(m_successesSinceReport, m_errorsSinceReport);
        m_successesSinceReport = 0;
        m_errorsSinceReport = 0;
        emit queueFinished(queueFinishedTitle(), message);
    }
    if (state == ProcessingStates::Finished || state == ProcessingStates::Cancelled
        || state == ProcessingStates::Error)
        ++m_finished;
    emitUpdated();
    startNext();
}

QString ProcessingQueue::queueFinishedTitle()
{
    return tr("Download queue finished");
}

QString ProcessingQueue::queueFinishedMessage(int successes, int errors)
{
    QString message = tr("%n successful download(s)", nullptr, successes);
    if (errors > 0)
        message += QStringLiteral(", ") + tr("%n error(s)", nullptr, errors);
    return message;
}

void ProcessingQueue::emitUpdated()
{
    int waiting = 0;
    for (const QPointer<ProcessingElement>& job : std::as_const(m_waiting)) {
        if (job)
            ++waiting;
    }
    emit queueUpdated(waiting + int(m_running.size()), m_finished);
}

#include "DownloadSession.h"

#include "InterruptNotifier.h"
#include "RecordJson.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingQueue.h"
#include "services/MediaItem.h"

#include <QJsonObject>

DownloadSession::DownloadSession(const QString& command, const CliOutput& out, QObject* parent)
    : QObject(parent)
    , m_command(command)
    , m_out(out)
    , m_view(out.isTerminal() && !out.isJson())
{
    m_records = new DownloadsModel(this, m_db.connection());
    m_downloads = new DownloadList(
        AppContext::processingQueue(), AppContext::jobServices(m_records),
        [] { return JobSettings::fromPreferences(); }, this);
    m_ticker.setInterval(250);
    connect(&m_ticker, &QTimer::timeout, this, [this] { m_view.redraw(); });
    ProcessingQueue* queue = AppContext::processingQueue();
    connect(queue, &ProcessingQueue::destinationProblem, this, [this](const QString& message) {
        m_view.printAbove(message, true);
        m_destinationProblem = true;
        m_loop.exit(CliCommand::Failed);
    });
    connect(queue, &ProcessingQueue::queueFinished, this,
        [this](const QString& title, const QString& message) {
            if (!m_out.isJson())
                m_view.printAbove(title + QStringLiteral(": ") + message, true);
        });
}

DownloadSession::~DownloadSession() = default;

void DownloadSession::track(ProcessingElement* job)
{
    if (!job || m_jobs.contains(job))
        return;
    m_jobs.append(job);
    m_view.setJobs(m_jobs);
    connect(job, &ProcessingElement::finishedSignal, this, &DownloadSession::onStateOrEnd);
    connect(job, &ProcessingElement::error, this, &DownloadSession::onStateOrEnd);
    connect(job, &ProcessingElement::cancelDownload, this, &DownloadSession::onStateOrEnd);
}

void DownloadSession::setPendingWork(int count)
{
    m_pendingWork = count;
    checkDone();
}

void DownloadSession::addFailure(const QString& text)
{
    ++m_failures;
    m_view.printAbove(QStringLiteral("kestrofan-cli %1: %2").arg(m_command, text), true);
}

bool DownloadSession::hasEnded(const ProcessingElement* job) const
{
    switch (job->state()) {
    case ProcessingStates::Finished:
    case ProcessingStates::Error:
    case ProcessingStates::Cancelled:
        return true;
    default:
        return false;
    }
}

void DownloadSession::onStateOrEnd()
{
    for (ProcessingElement* job : std::as_const(m_jobs)) {
        if (!hasEnded(job) || m_reported.contains(job))
            continue;
        m_reported.append(job);
        const QString title = job->mediaItem().title();
        if (job->state() == ProcessingStates::Finished)
            m_view.printAbove(job->finishedFileName(), false);
        else if (job->state() == ProcessingStates::Error)
            m_view.printAbove(QStringLiteral("kestrofan-cli %1: \"%2\" failed: %3")
                                  .arg(m_command, title, job->errorText()),
                true);
        m_results.append(QJsonObject { { QStringLiteral("id"), job->recordId() },
            { QStringLiteral("state"), ProcessingStates::displayName(job->state()) },
            { QStringLiteral("title"), title },
            { QStringLiteral("finishedFile"), job->finishedFileName() },
            { QStringLiteral("errorText"), job->errorText() } });
    }
    checkDone();
}

void DownloadSession::checkDone()
{
    if (!m_loop.isRunning() || m_pendingWork > 0)
        return;
    for (const ProcessingElement* job : std::as_const(m_jobs)) {
        // A failed job ends without finishedSignal; a finished one after its conversion.
        if (!hasEnded(job))
            return;
    }
    m_loop.exit(CliCommand::Success);
}

void DownloadSession::onInterrupted(int signalNumber)
{
    // Paused, not cancelled: the parts are flushed and kept, and the records keep saying
    // where each download was.
    AppContext::processingQueue()->setPaused(true);
    m_view.printAbove(QStringLiteral("kestrofan-cli %1: interrupted; run \"kestrofan-cli "
                                     "resume\" to continue")
                          .arg(m_command),
        true);
    m_loop.exit(128 + signalNumber);
}

int DownloadSession::run()
{
    InterruptNotifier interrupt;
    connect(&interrupt, &InterruptNotifier::interrupted, this,
        [this, &interrupt] { onInterrupted(interrupt.signalNumber()); });
    ProcessingQueue* queue = AppContext::processingQueue();
    // A queue the GUI left paused must not leave a script waiting for ever; the stored
    // preference stays as it is.
    if (queue->isPaused())
        queue->setPaused(false);
    m_ticker.start();
    QTimer::singleShot(0, this, [this] { onStateOrEnd(); });
    const int code = m_loop.exec();
    m_ticker.stop();
    m_view.finish();
    if (m_out.isJson())
        m_out.json(m_results);
    if (code != CliCommand::Success)
        return code;
    for (const ProcessingElement* job : std::as_const(m_jobs)) {
        if (job->state() != ProcessingStates::Finished)
            return CliCommand::Failed;
    }
    return m_failures > 0 ? CliCommand::Failed : CliCommand::Success;
}

void DownloadSession::addTypeOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("audio"), QStringLiteral("Download audio (converted as preferred).")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("video"), QStringLiteral("Download video (converted as preferred).")));
}

bool DownloadSession::targetType(
    const QCommandLineParser& parser, const QString& command, const CliOutput& out, int* type)
{
    const bool audio = parser.isSet(QStringLiteral("audio"));
    const bool video = parser.isSet(QStringLiteral("video"));
    if (audio && video) {
        out.error(
            QStringLiteral("kestrofan-cli %1: give --audio or --video, not both").arg(command));
        return false;
    }
    *type = audio ? MediaDescriptor::Audio
        : video
        ? MediaDescriptor::Video
        : (Prefs::defaultDownloadMediaType() == MediaDescriptor::Audio ? MediaDescriptor::Audio
                                                                       : MediaDescriptor::Video);
    return true;
}

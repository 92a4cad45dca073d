#include "ProcessingElement.h"

#include "ConversionItems.h"
#include "DownloadsModel.h"
#include "MediaFileRequestBase.h"
#include "MediaURLFetcher.h"
#include "StreamRequests.h"
#include "convert/AudioConverter.h"
#include "convert/ProcessPool.h"
#include "convert/VideoConverter.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/ServiceCredentials.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The converter is a QObject of the main thread; the worker may hold the last reference.
std::shared_ptr<MediaConverter> shareConverter(MediaConverter* converter)
{
    return std::shared_ptr<MediaConverter>(converter, [](MediaConverter* c) { c->deleteLater(); });
}

} // namespace

ProcessingElement::ProcessingElement(const MediaItem& item, const QString& serviceName,
    MediaDescriptor::MediaType targetType, const JobSettings& settings, const JobServices& services,
    QObject* parent)
    : QObject(parent)
    , m_item(item)
    , m_targetType(targetType)
    , m_serviceName(serviceName)
    , m_services(services)
    , m_settings(settings)
{
    m_item.setTargetMediaType(targetType);
    m_remainingTimer.setInterval(remainingTimeIntervalMs());
    m_progressClock.start();
    connect(&m_remainingTimer, &QTimer::timeout, this, &ProcessingElement::onRemainingTimerTimeout);
    connect(&m_conversionWatcher, &QFutureWatcher<QString>::finished, this,
        &ProcessingElement::processFinished);
}

ProcessingElement::~ProcessingElement()
{
    m_conversionWatcher.disconnect(this);
    // A removed job's ffmpeg has nobody to report to.
    stopConversion();
    if (m_discardWhenGone) {
        // Released requests wait for deletion as children; their locks go with them.
        qDeleteAll(findChildren<MediaFileRequestBase*>(Qt::FindDirectChildrenOnly));
        discardTemporaryFiles();
    }
}

void ProcessingElement::stopConversion()
{
    if (m_conversionCancellation)
        m_conversionCancellation->cancel();
    if (m_converter)
        m_converter->disconnect(this);
}

QString ProcessingElement::fileBaseName(const QString& pageUrl, int recordId)
{
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(pageUrl.toUtf8(), QCryptographicHash::Md5).toHex());
    return recordId > 0 ? digest + QLatin1Char('-') + QString::number(recordId) : digest;
}

QString ProcessingElement::fileBaseName() const
{
    return fileBaseName(m_item.permaUrl(), m_recordId);
}

void ProcessingElement::discardTemporaryFiles() const
{
    if (m_settings.temporaryDirectory.isEmpty())
        return;
    const QString base = fileBaseName();
    // The base name itself and what derives from it after a '.' or '_'; "<digest>-1" must
    // not take "<digest>-12" with it.
    const QRegularExpression ours(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(base) + QStringLiteral("([._].*)?")));
    QDir directory(m_settings.temporaryDirectory);
    const QStringList names
        = directory.entryList({ base + QLatin1Char('*') }, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        if (ours.match(name).hasMatch())
            directory.remove(name);
    }
}

void ProcessingElement::setState(ProcessingStates::States state, bool writeRecord)
{
    if (m_state != state) {
        m_state = state;
        emit stateChanged(state);
    }
    if (writeRecord && state != ProcessingStates::Resuming)
        writeRecordState();
}

void ProcessingElement::writeRecordState()
{
    if (m_services.records && m_recordId > 0)
        m_services.records->updateState(m_recordId, m_state, m_errorText);
}

void ProcessingElement::start()
{
    if (m_held) {
        m_pending = Pending::Start;
        return;
    }
    m_pending = Pending::Nothing;
    m_started = true;
    setState(ProcessingStates::Waiting);
    // Stream addresses of some services expire: an old answer is asked for again.
    if (m_urlsPrefetched && m_prefetchAge.elapsed() > prefetchLifetimeMs()) {
        m_urlFetcher->disconnect(this);
        m_urlFetcher->deleteLater();
        m_urlFetcher = nullptr;
        m_urlsPrefetched = false;
    }
    if (m_urlFetcher) {
        // Extracted ahead while the job waited: go on with what was found, or once it is.
        if (m_urlsPrefetched)
            gotMediaURLSlot();
        return;
    }
    fetchUrls();
}

void ProcessingElement::adoptUrlFetcher(MediaURLFetcher* fetcher)
{
    if (!fetcher || m_started || m_urlFetcher)
        return;
    m_urlFetcher = fetcher;
    fetcher->setParent(this);
    connect(fetcher, &MediaURLFetcher::ready, this, &ProcessingElement::gotMediaURLSlot);
    if (fetcher->hasResult()) {
        m_urlsPrefetched = true;
        m_prefetchAge.start();
    }
}

void ProcessingElement::prefetchUrls()
{
    if (m_started || m_urlFetcher
        || (m_state != ProcessingStates::Waiting && m_state != ProcessingStates::Resuming))
        return;
    m_urlsPrefetched = false;
    fetchUrls();
}

void ProcessingElement::fetchUrls()
{
    if (m_held) {
        m_pending = Pending::Start;
        return;
    }
    if (!m_urlFetcher) {
        m_urlFetcher
            = new MediaURLFetcher(m_services.helpers, m_serviceName, m_services.processPool, this);
        connect(m_urlFetcher, &MediaURLFetcher::ready, this, &ProcessingElement::gotMediaURLSlot);
    }
    m_urlFetcher->getMediaUrls(m_item, m_targetType);
}

void ProcessingElement::gotMediaURLSlot()
{
    MediaURLFetcher* fetcher = m_urlFetcher;
    if (!fetcher || m_state == ProcessingStates::Cancelled)
        return;
    if (!m_started) {
        // An extraction ahead of time: the result waits for start().
        m_urlsPrefetched = true;
        m_prefetchAge.start();
        return;
    }
    m_urlsPrefetched = false;
    m_urlFetcher = nullptr;
    fetcher->disconnect(this);
    fetcher->deleteLater();
    m_mediaUrls = fetcher->mediaUrls();
    const bool found = fetcher->errorText().isEmpty()
        && (!m_mediaUrls.videoUrls.isEmpty() || !m_mediaUrls.audioUrls.isEmpty());
    if (found) {
        if (m_targetType == MediaDescriptor::Audio)
            m_item.setAudioFormat(fetcher->detectedFormat());
        else
            m_item.setVideoFormat(fetcher->detectedFormat());
        // A job paused during the extraction keeps what was found and goes on when resumed.
        startRequest();
        return;
    }
    if (fetcher->loginNeeded() && offerLogin()) {
        QTimer::singleShot(2000, this, &ProcessingElement::onRetryTimerFinished);
        return;
    }
    QString text = fetcher->errorText();
    if (text.isEmpty() && fetcher->loginNeeded())
        text = tr("This item is only available for logged in users.");
    onMediaFileRequesterror(text);
}

bool ProcessingElement::offerLogin()
{
    // One offer per job: a login that succeeds but still does not open the item must not
    // ask again and again.
    if (m_loginOffered || !m_services.services)
        return false;
    MediaService* service = m_services.services->service(m_item.serviceName());
    if (!service)
        service = m_services.services->service(m_serviceName);
    ServiceCredentials* credentials = service ? service->credentials() : nullptr;
    if (!credentials || credentials->hasSavedCredentials())
        return false;
    m_loginOffered = true;
    return credentials->showLoginDialog();
}

void ProcessingElement::onRetryTimerFinished()
{
    if (m_state == ProcessingStates::Cancelled || m_state == ProcessingStates::Error)
        return;
    fetchUrls();
}

void ProcessingElement::startRequest()
{
    if (m_held) {
        m_pending = Pending::Request;
        return;
    }
    m_pending = Pending::Nothing;
    m_contentLength = 0;
    setState(ProcessingStates::Connecting);
    releaseRequest();
    m_request = StreamRequests::forMediaUrls(m_mediaUrls, fileBaseName(), itemFormat(), this);
    if (!m_request) {
        onError(tr("No media URLs found"));
        return;
    }
    m_audioOnly = m_mediaUrls.videoUrls.isEmpty();
    if (!m_settings.temporaryDirectory.isEmpty())
        m_request->setTemporaryDirectory(m_settings.temporaryDirectory);
    m_request->setProcessPool(m_services.processPool);
    m_request->setCookies(m_mediaUrls.cookies, QUrl(m_item.permaUrl()));
    if (!m_request->errorText().isEmpty()) {
        onMediaFileRequesterror(m_request->errorText());
        return;
    }
    connect(m_request, &MediaFileRequestBase::connected, this, &ProcessingElement::connectedSlot);
    connect(
        m_request, &MediaFileRequestBase::finished, this, &ProcessingElement::onDownloadFinished);
    connect(m_request, &MediaFileRequestBase::progressUpdate, this,
        &ProcessingElement::onProgressUpdate);
    connect(
        m_request, &MediaFileRequestBase::error, this, &ProcessingElement::onMediaFileRequesterror);
    connect(m_request, &MediaFileRequestBase::hasFileName, this,
        &ProcessingElement::handleRequestHasFileName);
    connect(this, &ProcessingElement::cancelDownload, m_request,
        &MediaFileRequestBase::onCancelDownload);
    connect(this, &ProcessingElement::limitBandwidthChanged, m_request,
        &MediaFileRequestBase::onLimitBandwidthChanged);
    ++m_attempts;
    m_request->start();
    m_progressClock.restart();
}

void ProcessingElement::releaseRequest()
{
    if (!m_request)
        return;
    m_request->disconnect(this);
    disconnect(this, nullptr, m_request, nullptr);
    m_request->deleteLater();
    m_request = nullptr;
}

void ProcessingElement::connectedSlot()
{
    auto* request = qobject_cast<MediaFileRequestBase*>(sender());
    if (!request)
        return;
    m_contentLength = request->contentLength();
    m_sizeInMiB = double(m_contentLength) * (1.0 / 1024) * (1.0 / 1024);
    setState(ProcessingStates::Downloading);
    m_remainingTimer.start(remainingTimeIntervalMs());
    if (m_held)
        m_remainingTimer.stop();
}

void ProcessingElement::onProgressUpdate()
{
    auto* request = qobject_cast<MediaFileRequestBase*>(sender());
    if (!request)
        return;
    // Segmented and separate-stream requests learn their length as they go.
    if (request->contentLength() > m_contentLength) {
        m_contentLength = request->contentLength();
        m_sizeInMiB = double(m_contentLength) * (1.0 / 1024) * (1.0 / 1024);
    }
    if (m_contentLength <= 0)
        return;
    m_bytesReceived = request->bytesReceived();
    const float share = float(m_bytesReceived) / float(m_contentLength) * 100.0f;
    m_progress = qBound(0, int(share), 100);
    if (m_progressClock.elapsed() > progressIntervalMs()) {
        emit progressUpdate(m_progress);
        m_progressClock.restart();
    }
}

int ProcessingElement::estimateRemainingSeconds(
    qint64 contentLength, qint64 received, qint64 atLastTick)
{
    const qint64 perInterval = received - atLastTick;
    // Nothing arrived since the last tick: no honest estimate, the view says so.
    if (perInterval <= 0 || contentLength <= 0)
        return -1;
    const float intervals = float(qMax<qint64>(0, contentLength - received)) / float(perInterval);
    return int(intervals * float(remainingTimeIntervalMs() / 1000));
}

void ProcessingElement::onRemainingTimerTimeout()
{
    if (m_bytesAtLastTick > 0)
        m_remainingSeconds
            = estimateRemainingSeconds(m_contentLength, m_bytesReceived, m_bytesAtLastTick);
    m_bytesAtLastTick = m_bytesReceived;
}

void ProcessingElement::onDownloadFinished()
{
    auto* request = qobject_cast<MediaFileRequestBase*>(sender());
    if (!request) {
        onMediaFileRequesterror(QStringLiteral(
            "ProcessingElement::onDownloadFinished(): Sender request object was NULL"));
        return;
    }
    if (!request->errorText().isEmpty()) {
        onMediaFileRequesterror(request->errorText());
        return;
    }
    if (m_request && !m_request->complete())
        return;
    m_bytesReceived = qMax(m_bytesReceived, request->bytesReceived());
    if (m_held) {
        // Converted once the job is let go; it must not be forgotten.
        m_pending = Pending::Conversion;
        return;
    }
    startConversion();
}

int ProcessingElement::itemFormat() const
{
    return m_targetType == MediaDescriptor::Audio ? m_item.audioFormat() : m_item.videoFormat();
}

void ProcessingElement::startConversion()
{
    m_pending = Pending::Nothing;
    const QString input = m_request ? m_request->resultFileName() : QString();
    MediaConverter* converter = nullptr;
    switch (m_targetType) {
    case MediaDescriptor::Video:
        if (!m_request) {
            onError(QStringLiteral("Unexpected: Main request NULL"));
            return;
        }
        if (input.isEmpty()) {
            onError(QStringLiteral("No media file found"));
            return;
        }
        converter = new VideoConverter(
            ConversionItems::fromMediaItem(m_item, itemFormat()), input, m_settings.conversion);
        break;
    case MediaDescriptor::Audio:
        if (!m_request) {
            onError(QStringLiteral("Unexpected: Downloading video: Main request was NULL"));
            return;
        }
        if (input.isEmpty()) {
            onError(QStringLiteral("No media file found"));
            return;
        }
        converter = new AudioConverter(ConversionItems::fromMediaItem(m_item, itemFormat()), input,
            m_audioOnly, m_settings.conversion);
        break;
    default:
        onError(
            QStringLiteral("Unexpected error: Target media type not recognized when downloading:")
            + MediaDescriptor::mediaTypeName(m_targetType));
        return;
    }
    m_converter = shareConverter(converter);
    connect(converter, &MediaConverter::errorSignal, this, &ProcessingElement::onError);
    m_remainingTimer.stop();
    setState(ProcessingStates::Converting);
    std::shared_ptr<MediaConverter> running = m_converter;
    m_conversionCancellation = m_services.processPool->newCancellation();
    converter->setCancellation(m_conversionCancellation);
    m_conversionWatcher.setFuture(m_services.processPool->run(
        [running](const std::shared_ptr<ProcessCancellation>&) { return running->convert(); },
        m_conversionCancellation));
    emit downloadFinishedSignal();
}

void ProcessingElement::processFinished()
{
    // A converter's error ends the job at once; its worker still reports when it returns.
    if (m_finishedEmitted)
        return;
    m_finishedEmitted = true;
    m_remainingTimer.stop();
    releaseRequest();
    QString result;
    if (sender() == &m_conversionWatcher && m_conversionWatcher.future().resultCount() > 0)
        result = m_conversionWatcher.result();
    if (m_converter) {
        m_converter->disconnect(this);
        m_converter.reset();
    }
    if (m_state == ProcessingStates::Cancelled) {
        // Cancelled while converting: what the converter made is this job's unwanted file.
        if (!result.isEmpty())
            QFile::remove(result);
    } else if (m_state != ProcessingStates::Error) {
        // A conversion that left no file is no success.
        if (result.isEmpty() || !QFileInfo(result).isFile()) {
            m_errorText = tr("No media file found");
            setState(ProcessingStates::Error);
        } else {
            m_finishedFileName = result;
            setState(ProcessingStates::Finished);
            if (m_services.records && m_recordId > 0)
                m_services.records->updateFinishedFileName(m_recordId, m_finishedFileName);
        }
    }
    if (m_state == ProcessingStates::Finished) {
        m_progress = 100;
        emit progressUpdate(100);
    }
    emit finishedSignal();
}

void ProcessingElement::onError(QString errString)
{
    if (m_state == ProcessingStates::Error || m_state == ProcessingStates::Cancelled)
        return;
    m_errorText = errString;
    setState(ProcessingStates::Error);
    processFinished();
}

void ProcessingElement::onMediaFileRequesterror(QString text)
{
    if (m_state == ProcessingStates::Error || m_state == ProcessingStates::Cancelled)
        return;
    m_errorText = text;
    m_remainingTimer.stop();
    setState(ProcessingStates::Error);
    emit error(text);
    emit downloadFinishedSignal();
    releaseRequest();
}

void ProcessingElement::cancel()
{
    if (m_state == ProcessingStates::Cancelled)
        return;
    m_pending = Pending::Nothing;
    setState(ProcessingStates::Cancelled);
    m_remainingTimer.stop();
    if (m_urlFetcher) {
        m_urlFetcher->disconnect(this);
        m_urlFetcher->deleteLater();
        m_urlFetcher = nullptr;
    }
    // A running ffmpeg ends; the job then removes whatever it made.
    if (m_conversionCancellation)
        m_conversionCancellation->cancel();
    // Reaches the request too, which stops and removes its files.
    emit cancelDownload();
    emit downloadFinishedSignal();
    releaseRequest();
}

void ProcessingElement::pause(bool _pause)
{
    m_held = _pause;
    if (m_state == ProcessingStates::Downloading) {
        if (_pause)
            m_remainingTimer.stop();
        else
            m_remainingTimer.start(remainingTimeIntervalMs());
    }
    // Also while connecting: the request must not open its parts behind a paused job.
    if (m_request && !m_request->complete()
        && (m_state == ProcessingStates::Downloading || m_state == ProcessingStates::Connecting)) {
        m_request->onPause(_pause);
        m_attempts = 0;
    }
    emit pauseStateChanged(_pause);
    if (_pause)
        return;
    const Pending pending = m_pending;
    m_pending = Pending::Nothing;
    switch (pending) {
    case Pending::Start:
        start();
        break;
    case Pending::Request:
        startRequest();
        break;
    case Pending::Conversion:
        startConversion();
        break;
    case Pending::Nothing:
        break;
    }
}

void ProcessingElement::pauseDownloadTemp()
{
    m_remainingTimer.stop();
    if (m_request)
        m_request->onTempPause();
}

void ProcessingElement::resumeDownloadTemp()
{
    if (m_request)
        m_request->onTempResume();
}

void ProcessingElement::removalRequested()
{
    emit aboutToDie();
}

void ProcessingElement::onLimitBandwidthChanged(bool doLimitBandwidth)
{
    emit limitBandwidthChanged(doLimitBandwidth);
}

void ProcessingElement::handleRequestHasFileName(int part, QString fileName)
{
    // The record has columns for the first two parts only.
    if (m_services.records && m_recordId > 0 && part >= 1 && part <= 2)
        m_services.records->updatePartFileName(m_recordId, part, fileName);
}

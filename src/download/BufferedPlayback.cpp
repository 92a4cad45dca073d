#include "BufferedPlayback.h"

#include "MediaBufferRequest.h"
#include "MediaURLFetcher.h"
#include "ProcessingElement.h"

#include "app/MediaDescriptor.h"
#include "convert/MediaPlayerIntegration.h"
#include "services/MediaItem.h"

#include <QFile>

BufferedPlayback::BufferedPlayback(const BinaryHelpers* helpers, ProcessPool* processPool,
    const JobSettings& settings, QObject* parent)
    : QObject(parent)
    , m_helpers(helpers)
    , m_processPool(processPool)
    , m_settings(settings)
{ }

BufferedPlayback::~BufferedPlayback()
{
    // The request closes its file when it goes; remove it after that.
    if (m_request) {
        m_bufferFile = m_request->fileName();
        delete m_request;
    }
    removeBufferFile();
}

QString BufferedPlayback::bufferName(const QString& pageUrl)
{
    return QStringLiteral("playback-") + ProcessingElement::fileBaseName(pageUrl, 0);
}

void BufferedPlayback::start(const MediaItem& item)
{
    if (m_fetcher || m_request) {
        fail(QStringLiteral("BufferedPlayback::start(): Unexpected second start"));
        return;
    }
    m_pageUrl = item.permaUrl();
    m_fetcher = new MediaURLFetcher(m_helpers, item.serviceName(), m_processPool, this);
    connect(m_fetcher, &MediaURLFetcher::ready, this, &BufferedPlayback::onGotMediaUrls);
    m_fetcher->getMediaUrls(item, MediaDescriptor::Video);
}

void BufferedPlayback::onGotMediaUrls()
{
    const MediaUrls urls = m_fetcher->mediaUrls();
    const QString extractionError = m_fetcher->errorText();
    const int detectedFormat = m_fetcher->detectedFormat();
    m_fetcher->deleteLater();
    if (!extractionError.isEmpty()) {
        fail(extractionError);
        return;
    }
    // Separate streams play as the video alone: the player gets one file.
    m_isVideo = !urls.videoUrls.isEmpty();
    const QList<QUrl>& streams = m_isVideo ? urls.videoUrls : urls.audioUrls;
    if (streams.isEmpty()) {
        fail(tr("No stream found for %1").arg(m_pageUrl));
        return;
    }
    int format = m_isVideo ? urls.videoFormat : urls.audioFormat;
    if (format < 0)
        format = detectedFormat;
    if (format < 0)
        format = m_isVideo ? MediaDescriptor::MP4 : MediaDescriptor::AAC;

    m_request = new MediaBufferRequest(
        streams.constFirst(), bufferName(m_pageUrl), format, m_settings.temporaryDirectory, this);
    connect(m_request, &MediaBufferRequest::bufferReady, this, &BufferedPlayback::onBufferReady);
    connect(m_request, &MediaBufferRequest::finished, this, &BufferedPlayback::onBufferComplete);
    connect(m_request, &MediaBufferRequest::error, this, &BufferedPlayback::onBufferError);
    m_request->start();
}

void BufferedPlayback::onBufferReady()
{
    if (m_playerStarted || m_failed)
        return;
    m_bufferFile = m_request->fileName();
    const MediaPlayerIntegration players(m_settings.conversion.player);
    if (!players.openMediaFile(m_bufferFile, m_isVideo)) {
        const QString player = m_isVideo ? m_settings.conversion.player.videoPlayerApp
                                         : m_settings.conversion.player.audioPlayerApp;
        fail(player.isEmpty() ? tr("No program is set up to open %1.").arg(m_bufferFile)
                              : tr("The player %1 could not be started.").arg(player));
        return;
    }
    m_playerStarted = true;
    emit playing(m_bufferFile);
}

void BufferedPlayback::onBufferComplete()
{
    // A stream shorter than the buffer is only ready once it is complete.
    onBufferReady();
    if (!m_failed)
        emit buffered();
}

void BufferedPlayback::onBufferError(const QString& text)
{
    fail(text);
}

void BufferedPlayback::fail(const QString& text)
{
    // The request may say so twice (the error, then the end of the transfer).
    if (m_failed)
        return;
    m_failed = true;
    if (m_request) {
        m_bufferFile = m_request->fileName();
        m_request->cancelDownload();
        m_request->deleteLater();
    }
    // A player that has the file keeps what it read; nobody else wants a broken buffer.
    if (!m_playerStarted)
        removeBufferFile();
    emit error(text);
}

void BufferedPlayback::removeBufferFile()
{
    if (!m_bufferFile.isEmpty())
        QFile::remove(m_bufferFile);
}

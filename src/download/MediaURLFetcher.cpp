#include "MediaURLFetcher.h"

#include "MediaUrlReader.h"
#include "app/Prefs.h"
#include "convert/ProcessPool.h"
#include "services/MediaItem.h"

MediaURLFetcher::MediaURLFetcher(const BinaryHelpers* helpers, const QString& serviceName,
    ProcessPool* processPool, QObject* parent)
    : QObject(parent)
    , m_helpers(helpers)
    , m_serviceName(serviceName)
    , m_processPool(processPool)
{
    connect(&m_watcher, &QFutureWatcher<MediaUrls>::finished, this, &MediaURLFetcher::finished);
}

MediaURLFetcher::~MediaURLFetcher()
{
    // The worker keeps its reader and finishes on its own; nobody is told.
    m_watcher.disconnect(this);
    cancel();
}

void MediaURLFetcher::cancel()
{
    if (m_cancellation)
        m_cancellation->cancel();
}

void MediaURLFetcher::getMediaUrls(const MediaItem& item, MediaDescriptor::MediaType targetType)
{
    getMediaUrls(QUrl(item.permaUrl()), targetType);
}

void MediaURLFetcher::getMediaUrls(const QUrl& pageUrl, MediaDescriptor::MediaType targetType)
{
    // A fresh reader per extraction: an earlier one may still be running on its worker, and
    // is no longer wanted.
    cancel();
    m_hasResult = false;
    m_reader = std::make_shared<MediaUrlReader>(m_helpers, Prefs::snapshot(), m_serviceName);
    std::shared_ptr<MediaUrlReader> reader = m_reader;
    m_cancellation = m_processPool->newCancellation();
    reader->setCancellation(m_cancellation);
    m_watcher.setFuture(m_processPool->run(
        [reader, pageUrl, targetType](const std::shared_ptr<ProcessCancellation>&) {
            return reader->getMediaUrls(pageUrl, targetType);
        },
        m_cancellation));
}

void MediaURLFetcher::finished()
{
    m_mediaUrls = m_watcher.future().result();
    m_detectedFormat = m_reader->detectedFormat();
    setErrorText(m_reader->errorText());
    m_loginNeeded = m_reader->loginNeeded();
    m_hasResult = true;
    emit ready();
}

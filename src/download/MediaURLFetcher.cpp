#include "MediaURLFetcher.h"

#include "MediaUrlReader.h"
#include "app/Prefs.h"
#include "services/MediaItem.h"

#include <QThreadPool>
#include <QtConcurrent>

MediaURLFetcher::MediaURLFetcher(
    const BinaryHelpers* helpers, const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_helpers(helpers)
    , m_serviceName(serviceName)
{
    connect(&m_watcher, &QFutureWatcher<MediaUrls>::finished, this, &MediaURLFetcher::finished);
}

MediaURLFetcher::~MediaURLFetcher()
{
    // The worker keeps its reader and finishes on its own; nobody is told.
    m_watcher.disconnect(this);
}

void MediaURLFetcher::getMediaUrls(MediaItem* item, MediaDescriptor::MediaType targetType)
{
    // Without an item the reader fails at once with its own message, still through ready().
    getMediaUrls(item ? QUrl(item->permaUrl()) : QUrl(), targetType);
}

void MediaURLFetcher::getMediaUrls(const QUrl& pageUrl, MediaDescriptor::MediaType targetType)
{
    // A fresh reader per extraction: an earlier one may still be running on its worker.
    m_reader = std::make_shared<MediaUrlReader>(m_helpers, Prefs::snapshot(), m_serviceName);
    std::shared_ptr<MediaUrlReader> reader = m_reader;
    m_watcher.setFuture(QtConcurrent::run(QThreadPool::globalInstance(),
        [reader, pageUrl, targetType] { return reader->getMediaUrls(pageUrl, targetType); }));
}

void MediaURLFetcher::finished()
{
    m_mediaUrls = m_watcher.future().result();
    m_detectedFormat = m_reader->detectedFormat();
    setErrorText(m_reader->errorText());
    m_loginNeeded = m_reader->loginNeeded();
    emit ready();
}

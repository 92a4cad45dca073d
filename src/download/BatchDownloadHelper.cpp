#include "BatchDownloadHelper.h"

#include "DownloadList.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

BatchDownloadHelper::BatchDownloadHelper(MediaServices* services, DownloadList* downloads,
    MediaDescriptor::MediaType defaultType, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_downloads(downloads)
    , m_defaultType(defaultType)
{
    connect(
        this, &BatchDownloadHelper::hasMediaItems, this, &BatchDownloadHelper::handleMediaItems);
}

BatchDownloadHelper::~BatchDownloadHelper() = default;

void BatchDownloadHelper::start(const FeedDataFetcher& shown)
{
    delete m_fetcher;
    if (shown.playlistId().isEmpty())
        m_fetcher = new FeedDataFetcher(
            m_services, shown.searchParams(), shown.serviceName(), shown.feedKind(), this);
    else
        m_fetcher = new FeedDataFetcher(
            m_services, shown.playlistId(), shown.ownerUserId(), shown.serviceName(), this);
    connect(m_fetcher, &FeedDataFetcher::feedDataReady, this, &BatchDownloadHelper::onPageRead);
    m_shownPage = shown.pageNo();
    m_shownNextToken = shown.nextPageToken();
    m_pageCount = shown.pageCount();
    m_nextPage = 0;
    fetchNextPage(QString());
}

void BatchDownloadHelper::fetchNextPage(const QString& pageToken)
{
    ++m_nextPage;
    QString token = pageToken;
    if (m_nextPage == m_shownPage) {
        // Its items are the caller's; its token leads on to the next page.
        token = m_shownNextToken;
        ++m_nextPage;
    }
    if (m_nextPage > m_pageCount) {
        finish();
        return;
    }
    m_fetcher->fetchPage(m_nextPage, token);
}

void BatchDownloadHelper::onPageRead()
{
    if (m_fetcher->hasFailed()) {
        m_failures << tr("Page %1: %2").arg(m_fetcher->pageNo()).arg(m_fetcher->errorText());
    } else if (!m_fetcher->items().isEmpty()) {
        emit hasMediaItems(m_fetcher->items(), m_fetcher);
    }
    fetchNextPage(m_fetcher->nextPageToken());
}

void BatchDownloadHelper::handleMediaItems(const QList<MediaItem>& items, FeedDataFetcher* fetcher)
{
    if (fetcher)
        downloadItems(items, fetcher->serviceName());
}

MediaDescriptor::MediaType BatchDownloadHelper::targetTypeFor(const QString& serviceName) const
{
    const MediaService* service = m_services ? m_services->service(serviceName) : nullptr;
    if (service && service->isAudioOnly())
        return MediaDescriptor::Audio;
    return m_defaultType;
}

int BatchDownloadHelper::downloadItems(const QList<MediaItem>& items, const QString& serviceName)
{
    if (!m_downloads || !m_services || !m_services->service(serviceName))
        return 0;
    const MediaDescriptor::MediaType type = targetTypeFor(serviceName);
    int queued = 0;
    for (const MediaItem& item : items) {
        if (m_downloads->startDownload(item, type))
            ++queued;
    }
    m_queued += queued;
    return queued;
}

void BatchDownloadHelper::finish()
{
    if (m_fetcher) {
        m_fetcher->deleteLater();
        m_fetcher = nullptr;
    }
    emit finished();
}

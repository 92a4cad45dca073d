#include "FeedDataFetcher.h"

#include "MediaFeed.h"
#include "MediaFeedReader.h"

FeedDataFetcher::FeedDataFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, int feedKind, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_params(params)
    , m_serviceName(serviceName)
    , m_feedKind(feedKind)
{ }

FeedDataFetcher::FeedDataFetcher(const MediaServices* services, const QString& playlistId,
    const QString& ownerUserId, const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_serviceName(serviceName)
    , m_feedKind(FeedKind::Playlist)
    , m_playlistId(playlistId)
    , m_ownerUserId(ownerUserId)
{ }

FeedDataFetcher::~FeedDataFetcher() = default;

void FeedDataFetcher::fetchPage(int pageNo, const QString& pageToken)
{
    if (pageNo <= 0)
        return;
    m_pageNo = pageNo;
    // A reader per page, so that a dropped fetch can finish on its own reader.
    m_run = std::make_unique<Run>(
        std::make_shared<MediaFeedReader>(m_services, m_params, m_serviceName));
    connect(&m_run->watcher(), &QFutureWatcherBase::finished, this, &FeedDataFetcher::ready);
    m_pageSize = m_run->reader()->pageSize();
    switch (m_feedKind) {
    case FeedKind::Playlist:
        if (!m_playlistId.isEmpty()) {
            m_run->start(qOverload<const QString&, const QString&, int, const QString&>(
                             &MediaFeedReader::readPlaylistFeed),
                m_playlistId, m_ownerUserId, pageNo, pageToken);
        } else {
            m_run->start(qOverload<int, const QString&>(&MediaFeedReader::readPlaylistFeed), pageNo,
                pageToken);
        }
        break;
    case FeedKind::Uploads:
        m_run->start(&MediaFeedReader::readUploadsFeed, pageNo, pageToken);
        break;
    case FeedKind::Favorites:
        m_run->start(&MediaFeedReader::readFavoritesFeed, pageNo, pageToken);
        break;
    case FeedKind::Search:
        m_run->start(&MediaFeedReader::readSearchFeed, pageNo, pageToken);
        break;
    case FeedKind::Related:
        m_run->start(&MediaFeedReader::readRelatedFeed, pageNo, pageToken);
        break;
    case FeedKind::Likes:
        m_run->start(&MediaFeedReader::readLikesFeed, pageNo, pageToken);
        break;
    default:
        // An unknown kind reads nothing; the fetcher still answers.
        m_run->start([](MediaFeedReader*) { return QList<MediaItem>(); });
        break;
    }
}

void FeedDataFetcher::ready()
{
    m_items = m_run->result();
    const MediaFeedReader* reader = m_run->reader();
    m_totalResults = reader->totalResults();
    m_feedTitle = reader->feedTitle();
    m_nextPageToken = reader->nextPageToken();
    m_prevPageToken = reader->prevPageToken();
    m_errorText = reader->errorText();
    emit feedDataReady();
}

int FeedDataFetcher::pageCount() const
{
    return pageCount(m_totalResults, m_pageSize);
}

int FeedDataFetcher::pageCount(int totalResults, int pageSize)
{
    if (pageSize <= 0 || totalResults <= 0)
        return 0;
    return int((qint64(totalResults) + pageSize - 1) / pageSize);
}

QString FeedDataFetcher::feedName() const
{
    return m_feedKind == FeedKind::Playlist ? m_feedTitle : FeedKind::displayName(m_feedKind);
}

#pragma once

#include "MediaItem.h"
#include "SearchParams.h"

#include <QList>
#include <QString>
#include <QUrl>

class MediaService;
class MediaServices;

// Reads one page of a feed (search, uploads, favorites, likes, related media, a playlist) and
// keeps the facts of the last page read: total results, title and page tokens.
class MediaFeedReader
{
public:
    // The service and its page size are taken now, on the creating thread.
    MediaFeedReader(
        const MediaServices* services, const SearchParams& params, const QString& serviceName);

    // Each is blocking and returns the page's items (none when anything failed).
    QList<MediaItem> readSearchFeed(int pageNo, const QString& pageToken);
    QList<MediaItem> readFavoritesFeed(int pageNo, const QString& pageToken);
    QList<MediaItem> readLikesFeed(int pageNo, const QString& pageToken);
    QList<MediaItem> readRelatedFeed(int pageNo, const QString& pageToken);
    QList<MediaItem> readUploadsFeed(int pageNo, const QString& pageToken);
    // The playlist named by the search parameters' query.
    QList<MediaItem> readPlaylistFeed(int pageNo, const QString& pageToken);
    QList<MediaItem> readPlaylistFeed(
        const QString& playlistId, const QString& userId, int pageNo, const QString& pageToken);

    int pageSize() const { return m_pageSize; }
    int totalResults() const { return m_totalResults; }
    QString feedTitle() const { return m_feedTitle; }
    QString nextPageToken() const { return m_nextPageToken; }
    QString prevPageToken() const { return m_prevPageToken; }
    // Whether the last read could not fetch or read its page (an empty feed is no failure),
    // and why.
    bool hasFailed() const { return !m_errorText.isEmpty(); }
    QString errorText() const { return m_errorText; }

private:
    // Fetches the address (or posts the body) and reads the feed; "keepFacts" decides
    // whether the page's totals and tokens replace the kept ones.
    QList<MediaItem> readFeed(
        const QUrl& address, int pageNo, bool keepFacts, const QByteArray* postBody = nullptr);
    QList<MediaItem> failed(const QString& reason);
    QList<MediaItem> noService();

    SearchParams m_params;
    QString m_serviceName;
    MediaService* m_service;
    int m_pageSize = 0;
    bool m_searchByPost = false;
    int m_totalResults = 0;
    QString m_feedTitle;
    QString m_nextPageToken;
    QString m_prevPageToken;
    QString m_errorText;
};

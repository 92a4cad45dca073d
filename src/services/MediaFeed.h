#pragma once

#include "MediaItem.h"

#include <QList>
#include <QString>

// One page of a feed as a script read it: its facts and its items, by value.
class MediaFeed
{
public:
    int totalResults() const { return m_totalResults; }
    void setTotalResults(int total) { m_totalResults = total; }
    QString feedTitle() const { return m_feedTitle; }
    void setFeedTitle(const QString& title) { m_feedTitle = title; }
    QString nextPageToken() const { return m_nextPageToken; }
    void setNextPageToken(const QString& token) { m_nextPageToken = token; }
    QString prevPageToken() const { return m_prevPageToken; }
    void setPrevPageToken(const QString& token) { m_prevPageToken = token; }

    const QList<MediaItem>& items() const { return m_items; }
    void appendItem(const MediaItem& item) { m_items.append(item); }

private:
    int m_totalResults = 0;
    QString m_feedTitle;
    QList<MediaItem> m_items;
    QString m_nextPageToken;
    QString m_prevPageToken;
};

// The feed kinds of the readers and fetchers.
namespace FeedKind {
enum Kind { Playlist = 1, Uploads = 2, Favorites = 3, Search = 4, Related = 5, Likes = 6 };
// Sub-tab names; a playlist is named by its feed's title instead.
QString displayName(int kind);
} // namespace FeedKind

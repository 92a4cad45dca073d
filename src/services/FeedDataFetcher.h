#pragma once

#include "MediaItem.h"
#include "ReaderRun.h"
#include "SearchParams.h"

#include <QList>
#include <QObject>

#include <memory>

class MediaFeedReader;
class MediaServices;

// Reads pages of one feed on a worker thread: search results, uploads, favorites, likes,
// related media or a playlist (the kinds of FeedKind). Keeps the items of the last page and the
// feed's facts.
class FeedDataFetcher : public QObject
{
    Q_OBJECT
public:
    FeedDataFetcher(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, int feedKind, QObject* parent = nullptr);
    // A playlist feed for a playlist identifier and its owner's user identifier.
    FeedDataFetcher(const MediaServices* services, const QString& playlistId,
        const QString& ownerUserId, const QString& serviceName, QObject* parent = nullptr);
    ~FeedDataFetcher() override;

    // Page numbers count from 1; 0 or less starts nothing. A fetch still running is dropped.
    void fetchPage(int pageNo, const QString& pageToken);

    int feedKind() const { return m_feedKind; }
    QString serviceName() const { return m_serviceName; }
    SearchParams searchParams() const { return m_params; }
    // Set for a playlist feed only.
    QString playlistId() const { return m_playlistId; }
    QString ownerUserId() const { return m_ownerUserId; }
    // The items of the last page read, kept by the fetcher; callers copy what they keep.
    const QList<MediaItem>& items() const { return m_items; }
    int pageNo() const { return m_pageNo; }
    int pageSize() const { return m_pageSize; }
    int pageCount() const;
    int totalResults() const { return m_totalResults; }
    // The last page's title for a playlist, else the name of the feed kind.
    QString feedName() const;
    QString nextPageToken() const { return m_nextPageToken; }
    QString prevPageToken() const { return m_prevPageToken; }
    // Whether the last page could not be fetched or read, and why.
    bool hasFailed() const { return !m_errorText.isEmpty(); }
    QString errorText() const { return m_errorText; }

    // Total results over the page size, rounded up; no pages without a page size.
    static int pageCount(int totalResults, int pageSize);

signals:
    void feedDataReady();

private slots:
    void ready();

private:
    using Run = ReaderRun<QList<MediaItem>, MediaFeedReader>;

    const MediaServices* m_services;
    SearchParams m_params;
    QString m_serviceName;
    int m_feedKind;
    QString m_playlistId;
    QString m_ownerUserId;
    std::unique_ptr<Run> m_run;
    QList<MediaItem> m_items;
    int m_pageNo = 0;
    int m_pageSize = 0;
    int m_totalResults = 0;
    QString m_feedTitle;
    QString m_nextPageToken;
    QString m_prevPageToken;
    QString m_errorText;
};

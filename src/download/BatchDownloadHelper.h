#pragma once

#include "app/MediaDescriptor.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"

#include <QList>
#include <QObject>
#include <QString>

class DownloadList;
class MediaServices;

// Downloads every item of a feed, page after page ("Download all"). The pages are read one
// after the other by a feed fetcher, whose reads run on the thread pool; every page's items
// are handed to the download list as they come. The page already shown is skipped: its items
// are the caller's.
class BatchDownloadHelper : public QObject
{
    Q_OBJECT
public:
    // defaultType: the default download media type preference; a service that is audio only
    // gets audio whatever it says.
    BatchDownloadHelper(MediaServices* services, DownloadList* downloads,
        MediaDescriptor::MediaType defaultType, QObject* parent = nullptr);
    ~BatchDownloadHelper() override;

    // Walks the other pages of the feed the fetcher shows.
    void start(const FeedDataFetcher& shown);
    // The target type for items of this service.
    MediaDescriptor::MediaType targetTypeFor(const QString& serviceName) const;
    // Downloads the items as the service's target type; returns how many were queued.
    int downloadItems(const QList<MediaItem>& items, const QString& serviceName);

    int queuedCount() const { return m_queued; }
    // Pages that could not be read, with the reason.
    QStringList failures() const { return m_failures; }

signals:
    void hasMediaItems(const QList<MediaItem>& items, FeedDataFetcher* fetcher);
    void finished();

public slots:
    void handleMediaItems(const QList<MediaItem>& items, FeedDataFetcher* fetcher);

private slots:
    void onPageRead();

private:
    void fetchNextPage(const QString& pageToken);
    void finish();

    MediaServices* m_services;
    DownloadList* m_downloads;
    MediaDescriptor::MediaType m_defaultType;
    FeedDataFetcher* m_fetcher = nullptr;
    int m_shownPage = 0;
    QString m_shownNextToken;
    int m_pageCount = 0;
    int m_nextPage = 0;
    int m_queued = 0;
    QStringList m_failures;
};

#pragma once

#include "services/MediaItem.h"
#include "ui/DownloadStarter.h"

#include <QList>
#include <QStringList>

// What the window asks of the download engine, written down instead of done: the views'
// side of downloads is tested without jobs.
class RecordingStarter : public DownloadStarter
{
public:
    ProcessingElement* startDownload(
        const MediaItem& item, MediaDescriptor::MediaType type) override
    {
        started << item.permaUrl() + QLatin1Char('/') + MediaDescriptor::mediaTypeName(type);
        return nullptr;
    }
    ProcessingElement* findJob(const MediaItem&) const override { return nullptr; }
    void startBatchDownload(FeedDataFetcher* feed) override { batches.append(feed); }
    void holdRunningDownloads(bool hold) override { holds.append(hold); }
    void initiateDownload(const QString& address, MediaDescriptor::MediaType type) override
    {
        initiated << address + QLatin1Char('/') + MediaDescriptor::mediaTypeName(type);
    }

    // "page address/media type name" per download.
    QStringList started;
    QStringList initiated;
    QList<FeedDataFetcher*> batches;
    QList<bool> holds;
};

#pragma once

#include "app/MediaDescriptor.h"

#include <QString>

class FeedDataFetcher;
class MediaItem;

// How the main window hands downloads to the download engine. The composition root installs
// the implementation that creates the jobs, queues them and shows them in the downloads view;
// the window itself knows nothing of jobs.
class DownloadStarter
{
public:
    virtual ~DownloadStarter() = default;

    // One item as audio or video.
    virtual void startDownload(const MediaItem& item, MediaDescriptor::MediaType type) = 0;
    // Every item of a feed page.
    virtual void startBatchDownload(FeedDataFetcher* feed) = 0;
    // Reads the item of a media page address first (an external "kestrofan:" address); when it
    // is there, the implementation calls MainWindow::downloadInitiatorFinished().
    virtual void initiateDownload(const QString& address, MediaDescriptor::MediaType type) = 0;
};

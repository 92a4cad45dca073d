#pragma once

#include "app/MediaDescriptor.h"

#include <QString>

class FeedDataFetcher;
class MediaItem;
class ProcessingElement;

// How the main window hands downloads to the download engine. The composition root installs
// the implementation that creates the jobs, queues them and shows them in the downloads view;
// the window only passes jobs on to the views that follow them.
class DownloadStarter
{
public:
    virtual ~DownloadStarter() = default;

    // One item as audio or video; the job, which views may follow, or null when none was made.
    virtual ProcessingElement* startDownload(const MediaItem& item, MediaDescriptor::MediaType type)
        = 0;
    // The newest job of the item's page, so that a view made later shows its state; or null.
    virtual ProcessingElement* findJob(const MediaItem& item) const = 0;
    // Running transfers give way (or go on again) while a feed's next page is read.
    virtual void holdRunningDownloads(bool hold) = 0;
    // Every item of a feed page.
    virtual void startBatchDownload(FeedDataFetcher* feed) = 0;
    // Reads the item of a media page address first (an external "kestrofan:" address); when it
    // is there, the implementation calls MainWindow::downloadInitiatorFinished().
    virtual void initiateDownload(const QString& address, MediaDescriptor::MediaType type) = 0;
};

#pragma once

#include "app/DbConnection.h"
#include "ui/DownloadStarter.h"

#include <QObject>

#include <memory>

class DownloadList;
class DownloadsModel;
class MainWindow;
class MediaServices;
class ProcessingQueue;

// The main window's downloads: jobs made through the download list over the application's
// queue, whole feeds through batch helpers, external addresses through an initiator. It also
// brings the queue's counts and notices to the window and restores the stored downloads once
// the services are loaded.
class GuiDownloadStarter : public QObject, public DownloadStarter
{
    Q_OBJECT
public:
    GuiDownloadStarter(MainWindow* window, ProcessingQueue* queue, MediaServices* services);
    ~GuiDownloadStarter() override;

    ProcessingElement* startDownload(
        const MediaItem& item, MediaDescriptor::MediaType type) override;
    ProcessingElement* findJob(const MediaItem& item) const override;
    void holdRunningDownloads(bool hold) override;
    void startBatchDownload(FeedDataFetcher* feed) override;
    void initiateDownload(const QString& address, MediaDescriptor::MediaType type) override;

    DownloadList* downloads() const { return m_downloads; }

private:
    MainWindow* m_window;
    MediaServices* m_services;
    DbConnection m_database;
    DownloadsModel* m_records = nullptr;
    DownloadList* m_downloads = nullptr;
};

#include "GuiDownloadStarter.h"

#include "core/AppContext.h"
#include "download/BatchDownloadHelper.h"
#include "download/DownloadInitiator.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/JobSettings.h"
#include "download/ProcessingQueue.h"
#include "services/FeedDataFetcher.h"
#include "ui/MainWindow.h"

GuiDownloadStarter::GuiDownloadStarter(
    MainWindow* window, ProcessingQueue* queue, MediaServices* services)
    : QObject(window)
    , m_window(window)
    , m_services(services)
{
    m_records = new DownloadsModel(this, m_database.connection());
    m_downloads = new DownloadList(
        queue, AppContext::jobServices(m_records), [] { return JobSettings::fromPreferences(); },
        this);
    connect(queue, &ProcessingQueue::queueUpdated, window, &MainWindow::queueProgress);
    connect(queue, &ProcessingQueue::queueFinished, window, &MainWindow::notifyQueueFinished);
    connect(queue, &ProcessingQueue::destinationProblem, window, &MainWindow::showMessage);
    // Unfinished downloads of the last run go on once their services can read their pages.
    connect(window, &MainWindow::servicesLoaded, m_downloads, &DownloadList::restore,
        Qt::SingleShotConnection);
}

GuiDownloadStarter::~GuiDownloadStarter() = default;

ProcessingElement* GuiDownloadStarter::startDownload(
    const MediaItem& item, MediaDescriptor::MediaType type)
{
    return m_downloads->startDownload(item, type);
}

ProcessingElement* GuiDownloadStarter::findJob(const MediaItem& item) const
{
    return m_downloads->findJob(item.permaUrl());
}

void GuiDownloadStarter::holdRunningDownloads(bool hold)
{
    if (hold)
        m_downloads->queue()->pauseRunningDownloadsTemporarily();
    else
        m_downloads->queue()->resumeRunningDownloadsTemporarily();
}

void GuiDownloadStarter::startBatchDownload(FeedDataFetcher* feed)
{
    if (!feed)
        return;
    auto* batch = new BatchDownloadHelper(
        m_services, m_downloads, m_window->downloadTypeFor(feed->serviceName()), this);
    connect(batch, &BatchDownloadHelper::finished, batch, [this, batch] {
        if (!batch->failures().isEmpty())
            m_window->showMessage(batch->failures().join(QLatin1Char('\n')));
        batch->deleteLater();
    });
    batch->start(*feed);
}

void GuiDownloadStarter::initiateDownload(const QString& address, MediaDescriptor::MediaType type)
{
    auto* initiator = new DownloadInitiator(m_services, this);
    connect(initiator, &DownloadInitiator::finished, this, [this, initiator, address, type] {
        if (initiator->mediaItem())
            m_window->downloadInitiatorFinished(*initiator->mediaItem(), type, address);
        else
            m_window->showMessage(initiator->errorText());
        initiator->deleteLater();
    });
    if (!initiator->initiate(address, type))
        initiator->deleteLater();
}

#include "DownloadList.h"

#include "DownloadsModel.h"
#include "ProcessingElement.h"
#include "ProcessingQueue.h"
#include "services/MediaItem.h"

DownloadList::DownloadList(
    ProcessingQueue* queue, const JobServices& services, SettingsSource settings, QObject* parent)
    : QObject(parent)
    , m_queue(queue)
    , m_services(services)
    , m_settings(std::move(settings))
{ }

DownloadList::~DownloadList() = default;

ProcessingElement* DownloadList::makeJob(
    const MediaItem& item, const QString& serviceName, MediaDescriptor::MediaType type)
{
    auto* job = new ProcessingElement(
        item, serviceName, type, m_settings ? m_settings() : JobSettings(), m_services, this);
    m_jobs.append(job);
    return job;
}

ProcessingElement* DownloadList::startDownload(
    const MediaItem& item, MediaDescriptor::MediaType type, MediaURLFetcher* extraction)
{
    ProcessingElement* job = makeJob(item, item.serviceName(), type);
    job->adoptUrlFetcher(extraction);
    // Recorded before it is queued, so that its first states land in its row.
    if (m_services.records) {
        const MediaItem& copy = job->mediaItem();
        DownloadRecord record;
        record.title = copy.title();
        record.state = job->state();
        record.targetMediaType = type;
        record.thumbUrl = copy.thumbUrl();
        record.serviceId = copy.serviceName();
        record.mediaId = copy.id();
        record.permaUrl = copy.permaUrl();
        job->setRecordId(m_services.records->insertDownload(record));
    }
    emit jobAdded(job);
    if (m_queue)
        m_queue->addJob(job);
    return job;
}

QList<ProcessingElement*> DownloadList::restore()
{
    QList<ProcessingElement*> restored;
    if (!m_services.records)
        return restored;
    for (const DownloadRecord& row : m_services.records->loadDownloads()) {
        if (job(row.id))
            continue;
        MediaItem item(row.serviceId);
        item.setId(row.mediaId);
        item.setTitle(row.title);
        item.setThumbUrl(row.thumbUrl);
        item.setPermaUrl(row.permaUrl);
        const auto type = MediaDescriptor::MediaType(row.targetMediaType);
        ProcessingElement* job = makeJob(item, row.serviceId, type);
        job->setRecordId(row.id);
        job->setErrorText(row.errorText);
        job->setFinishedFileName(row.finishedFileName);
        // The record keeps its unfinished state until the job really runs again.
        const auto state = ProcessingStates::States(row.state);
        job->setState(
            ProcessingStates::isUnfinished(state) ? ProcessingStates::Resuming : state, false);
        restored.append(job);
        emit jobAdded(job);
        if (m_queue)
            m_queue->addJob(job);
    }
    return restored;
}

ProcessingElement* DownloadList::job(int recordId) const
{
    for (ProcessingElement* job : m_jobs) {
        if (job->recordId() == recordId)
            return job;
    }
    return nullptr;
}

ProcessingElement* DownloadList::findJob(const QString& pageUrl) const
{
    if (pageUrl.isEmpty())
        return nullptr;
    for (auto job = m_jobs.crbegin(); job != m_jobs.crend(); ++job) {
        if ((*job)->mediaItem().permaUrl() == pageUrl)
            return *job;
    }
    return nullptr;
}

void DownloadList::remove(ProcessingElement* job)
{
    if (!job || !m_jobs.contains(job))
        return;
    if (ProcessingStates::isUnfinished(job->state()))
        job->cancel();
    if (m_queue)
        m_queue->removeJob(job);
    if (m_services.records && job->recordId() > 0)
        m_services.records->removeDownload(job->recordId());
    job->discardTemporaryFilesWhenGone();
    m_jobs.removeOne(job);
    emit jobRemoved(job);
    job->removalRequested();
    job->deleteLater();
}

int DownloadList::cleanUp()
{
    int removed = 0;
    for (qsizetype i = m_jobs.size() - 1; i >= 0; --i) {
        ProcessingElement* job = m_jobs.at(i);
        if (job->state() == ProcessingStates::Finished
            || job->state() == ProcessingStates::Cancelled) {
            remove(job);
            ++removed;
        }
    }
    return removed;
}

#pragma once

#include "JobSettings.h"
#include "app/MediaDescriptor.h"

#include <QList>
#include <QObject>

#include <functional>

class MediaItem;
class MediaURLFetcher;
class ProcessingElement;
class ProcessingQueue;

// The download records' side of the jobs, without widgets: starts a download (job, record,
// queue), turns the stored records back into jobs at start-up, and removes and cleans up
// downloads. It owns the jobs; the queue only refers to them. The downloads view and the
// command-line tool both work through it. Main thread.
class DownloadList : public QObject
{
    Q_OBJECT
public:
    using SettingsSource = std::function<JobSettings()>;

    // Without a queue the jobs are only listed (removing and cleaning up never starts one).
    DownloadList(ProcessingQueue* queue, const JobServices& services, SettingsSource settings,
        QObject* parent = nullptr);
    ~DownloadList() override;

    // Makes a job for a copy of the item, records it and queues it. An extraction of the
    // item's page that is already under way may be handed over for the job to go on with.
    ProcessingElement* startDownload(const MediaItem& item, MediaDescriptor::MediaType type,
        MediaURLFetcher* extraction = nullptr);
    // One job per stored record: finished, failed and cancelled ones are only listed; the
    // others are queued to run again from the start, finding their part files again.
    QList<ProcessingElement*> restore();
    // Cancels the job if it still runs, forgets it and deletes its record and its leftovers.
    void remove(ProcessingElement* job);
    // Removes every finished and cancelled download.
    int cleanUp();

    QList<ProcessingElement*> jobs() const { return m_jobs; }
    ProcessingElement* job(int recordId) const;
    // The newest job of a page address; null when there is none.
    ProcessingElement* findJob(const QString& pageUrl) const;
    ProcessingQueue* queue() const { return m_queue; }

signals:
    void jobAdded(ProcessingElement* job);
    void jobRemoved(ProcessingElement* job);

private:
    ProcessingElement* makeJob(
        const MediaItem& item, const QString& serviceName, MediaDescriptor::MediaType type);

    ProcessingQueue* m_queue;
    JobServices m_services;
    SettingsSource m_settings;
    QList<ProcessingElement*> m_jobs;
};

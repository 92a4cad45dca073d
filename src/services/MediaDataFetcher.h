#pragma once

#include "ReaderRun.h"
#include "SearchParams.h"

#include <QObject>

class MediaDataReader;
class MediaItem;
class MediaServices;

// Reads one media item on a worker thread and tells when it is there (null when it failed).
class MediaDataFetcher : public QObject
{
    Q_OBJECT
public:
    MediaDataFetcher(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, QObject* parent = nullptr);
    ~MediaDataFetcher() override;

    void start();
    QString serviceName() const { return m_serviceName; }
    // Owned by the fetcher until taken.
    MediaItem* mediaItem() const { return m_item; }
    MediaItem* takeMediaItem();
    // Why the last read gave no item; empty after a success.
    QString errorText() const { return m_errorText; }

signals:
    void ready();

private slots:
    void finished();

private:
    QString m_serviceName;
    ReaderRun<MediaItem*, MediaDataReader> m_run;
    MediaItem* m_item = nullptr;
    QString m_errorText;
};

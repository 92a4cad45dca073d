#pragma once

#include "MediaItem.h"
#include "ReaderRun.h"
#include "SearchParams.h"

#include <QObject>

#include <optional>

class MediaDataReader;
class MediaServices;

// Reads one media item on a worker thread and tells when it is there (none when it failed).
class MediaDataFetcher : public QObject
{
    Q_OBJECT
public:
    MediaDataFetcher(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, QObject* parent = nullptr);
    ~MediaDataFetcher() override;

    void start();
    QString serviceName() const { return m_serviceName; }
    // The item of the last read, kept by the fetcher; callers copy what they keep.
    const std::optional<MediaItem>& mediaItem() const { return m_item; }
    // Why the last read gave no item; empty after a success.
    QString errorText() const { return m_errorText; }

signals:
    void ready();

private slots:
    void finished();

private:
    QString m_serviceName;
    ReaderRun<std::optional<MediaItem>, MediaDataReader> m_run;
    std::optional<MediaItem> m_item;
    QString m_errorText;
};

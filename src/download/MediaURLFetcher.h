#pragma once

#include "MediaUrls.h"
#include "app/KObject.h"
#include "app/MediaDescriptor.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class BinaryHelpers;
class MediaItem;
class MediaUrlReader;
class ProcessCancellation;
class ProcessPool;

// Runs a stream address extraction on the process pool for a download job or for playback,
// and tells the thread that made it when the result is there.
class MediaURLFetcher : public QObject, public KObject
{
    Q_OBJECT
public:
    MediaURLFetcher(const BinaryHelpers* helpers, const QString& serviceName,
        ProcessPool* processPool, QObject* parent = nullptr);
    // Ends a helper that still runs; nobody is told.
    ~MediaURLFetcher() override;

    // Returns at once; ready() follows, also when the extraction failed. A second call
    // replaces (and ends) the extraction that is watched. The item's page address is read
    // here, on the calling thread, and so are the preferences; the worker never touches
    // either.
    void getMediaUrls(const MediaItem& item, MediaDescriptor::MediaType targetType);
    void getMediaUrls(const QUrl& pageUrl, MediaDescriptor::MediaType targetType);
    // Ends the running helper; ready() follows with the cancellation as the error.
    void cancel();

    MediaUrls mediaUrls() const { return m_mediaUrls; }
    int detectedFormat() const { return m_detectedFormat; }
    bool loginNeeded() const { return m_loginNeeded; }
    bool isRunning() const { return m_watcher.isRunning(); }
    // The last extraction's result is here (ready() was sent).
    bool hasResult() const { return m_hasResult; }

signals:
    void ready();

public slots:
    void finished();

private:
    const BinaryHelpers* m_helpers;
    QString m_serviceName;
    ProcessPool* m_processPool;
    std::shared_ptr<ProcessCancellation> m_cancellation;
    // Shared with the worker, so that a fetcher deleted mid-extraction (a removed download)
    // never leaves the worker with a deleted reader.
    std::shared_ptr<MediaUrlReader> m_reader;
    QFutureWatcher<MediaUrls> m_watcher;
    MediaUrls m_mediaUrls;
    int m_detectedFormat = -1;
    bool m_loginNeeded = false;
    bool m_hasResult = false;
};

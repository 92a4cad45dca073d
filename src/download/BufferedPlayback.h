#pragma once

#include "JobSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

class BinaryHelpers;
class MediaBufferRequest;
class MediaItem;
class MediaURLFetcher;
class ProcessPool;

// Plays a media item without downloading it first: asks the download helper for the item's
// streams, buffers the first one into the temporary folder the jobs use, and hands the buffer
// file to the configured player (or the desktop's handler for its type) as soon as enough of
// it is on disk. One item per object; the buffer file goes when the object does, since the
// player reads it while it grows.
class BufferedPlayback : public QObject
{
    Q_OBJECT
public:
    BufferedPlayback(const BinaryHelpers* helpers, ProcessPool* processPool,
        const JobSettings& settings, QObject* parent = nullptr);
    // Stops buffering and removes the buffer file.
    ~BufferedPlayback() override;

    void start(const MediaItem& item);
    // Empty until a stream is being buffered.
    QString bufferFile() const { return m_bufferFile; }
    bool hasStartedPlayer() const { return m_playerStarted; }

    // The buffer file of an item's page address (a plain name, apart from a job's files).
    static QString bufferName(const QString& pageUrl);

signals:
    // The player got the file.
    void playing(const QString& filePath);
    // The whole stream is on disk.
    void buffered();
    // Nothing more follows.
    void error(const QString& text);

private slots:
    void onGotMediaUrls();
    void onBufferReady();
    void onBufferComplete();
    void onBufferError(const QString& text);

private:
    void fail(const QString& text);
    void removeBufferFile();

    const BinaryHelpers* m_helpers;
    ProcessPool* m_processPool;
    JobSettings m_settings;
    QString m_pageUrl;
    bool m_isVideo = true;
    bool m_playerStarted = false;
    bool m_failed = false;
    QString m_bufferFile;
    QPointer<MediaURLFetcher> m_fetcher;
    QPointer<MediaBufferRequest> m_request;
};

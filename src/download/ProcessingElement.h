#pragma once

#include "JobSettings.h"
#include "MediaUrls.h"
#include "ProcessingStates.h"
#include "app/MediaDescriptor.h"
#include "services/MediaItem.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class MediaConverter;
class MediaFileRequestBase;
class MediaURLFetcher;
class ProcessCancellation;

// One download job: one media item, wanted as audio or as video. Asks the download helper for
// the stream addresses, drives the request that fetches them, measures progress and remaining
// time, hands the file to a converter on the thread pool and writes every state change to its
// download record. The queue decides when it starts. Main thread.
class ProcessingElement : public QObject
{
    Q_OBJECT
public:
    // The item is copied; the copy is the job's.
    ProcessingElement(const MediaItem& item, const QString& serviceName,
        MediaDescriptor::MediaType targetType, const JobSettings& settings,
        const JobServices& services, QObject* parent = nullptr);
    ~ProcessingElement() override;

    void start();
    // Extracts the stream addresses while the job still waits, so that it can begin to
    // download as soon as the queue starts it. Nothing for a job that started or ended.
    void prefetchUrls();
    // Takes over an extraction of the item's page that was started for this job before it
    // existed (while the page was being read); the job goes on with its result when started.
    void adoptUrlFetcher(MediaURLFetcher* fetcher);
    void setHeld(bool held) { m_held = held; }
    bool isHeld() const { return m_held; }

    ProcessingStates::States state() const { return m_state; }
    // Enters the state: signals a change, and writes the record unless the state is Resuming.
    void setState(ProcessingStates::States state, bool writeRecord = true);
    void setErrorText(const QString& text) { m_errorText = text; }
    void setFinishedFileName(const QString& fileName) { m_finishedFileName = fileName; }

    int recordId() const { return m_recordId; }
    void setRecordId(int id) { m_recordId = id; }
    const MediaItem& mediaItem() const { return m_item; }
    QString serviceName() const { return m_serviceName; }
    int progress() const { return m_progress; }
    int remainingSeconds() const { return m_remainingSeconds; }
    qint64 contentLength() const { return m_contentLength; }
    double sizeInMiB() const { return m_sizeInMiB; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    QString finishedFileName() const { return m_finishedFileName; }
    QString errorText() const { return m_errorText; }
    MediaDescriptor::MediaType targetType() const { return m_targetType; }
    bool isAudioOnly() const { return m_audioOnly; }
    int attempts() const { return m_attempts; }
    MediaFileRequestBase* request() const { return m_request; }

    // Every temporary file of a page derives from the MD5 digest of its address; the record
    // id keeps two downloads of the same page apart and is stable across restarts.
    static QString fileBaseName(const QString& pageUrl, int recordId);
    QString fileBaseName() const;
    // Removes what the job left in the temporary folder (part files, notes, segments).
    void discardTemporaryFiles() const;
    // The same once the job is deleted, when its requests have let go of their files.
    void discardTemporaryFilesWhenGone() { m_discardWhenGone = true; }

    // How often progress is reported at most, and how often the remaining time is estimated.
    static constexpr int progressIntervalMs() { return 100; }
    static constexpr int remainingTimeIntervalMs() { return 2000; }
    // How long addresses extracted ahead of the start are used.
    static constexpr int prefetchLifetimeMs() { return 5 * 60 * 1000; }
    // The estimate from bytes still to come and bytes per interval; -1 when nothing arrived.
    static int estimateRemainingSeconds(qint64 contentLength, qint64 received, qint64 atLastTick);

signals:
    void finishedSignal();
    void connectedSignal();
    void stateChanged(ProcessingStates::States state);
    void pauseStateChanged(bool paused);
    void downloadFinishedSignal();
    void progressUpdate(int pct);
    void error(QString text);
    void cancelDownload();
    void aboutToDie();
    void pauseSignal();
    void resumeSignal();
    void limitBandwidthChanged(bool limitBandwidthChanged);

public slots:
    void connectedSlot();
    void onDownloadFinished();
    void processFinished();
    void onProgressUpdate();
    void cancel();
    void pause(bool _pause);
    void pauseDownloadTemp();
    void resumeDownloadTemp();
    void removalRequested();
    void onLimitBandwidthChanged(bool doLimitBandwidth);

private slots:
    void gotMediaURLSlot();
    void onRetryTimerFinished();
    void onMediaFileRequesterror(QString text);
    void onError(QString errString);
    void handleRequestHasFileName(int part, QString fileName);
    void onRemainingTimerTimeout();

private:
    // What a held job does once it is let go again.
    enum class Pending { Nothing, Start, Request, Conversion };

    void fetchUrls();
    void startRequest();
    void startConversion();
    void stopConversion();
    // The format the extraction detected for the item.
    int itemFormat() const;
    void releaseRequest();
    void writeRecordState();
    bool offerLogin();

    QTimer m_remainingTimer;
    QElapsedTimer m_progressClock;
    int m_remainingSeconds = -1;
    qint64 m_bytesAtLastTick = 0;
    int m_recordId = -1;
    MediaItem m_item;
    ProcessingStates::States m_state = ProcessingStates::Waiting;
    int m_progress = 0;
    qint64 m_contentLength = 0;
    double m_sizeInMiB = 0;
    qint64 m_bytesReceived = 0;
    MediaUrls m_mediaUrls;
    QString m_finishedFileName;
    QFutureWatcher<QString> m_conversionWatcher;
    MediaDescriptor::MediaType m_targetType;
    MediaURLFetcher* m_urlFetcher = nullptr;
    MediaFileRequestBase* m_request = nullptr;
    // Shared with the conversion's worker, which may outlive the job.
    std::shared_ptr<MediaConverter> m_converter;
    std::shared_ptr<ProcessCancellation> m_conversionCancellation;
    QString m_serviceName;
    QString m_errorText;
    JobServices m_services;
    JobSettings m_settings;
    bool m_held = false;
    Pending m_pending = Pending::Nothing;
    int m_attempts = 0;
    bool m_audioOnly = false;
    bool m_loginOffered = false;
    bool m_finishedEmitted = false;
    bool m_discardWhenGone = false;
    bool m_started = false;
    bool m_urlsPrefetched = false;
    QElapsedTimer m_prefetchAge;
};

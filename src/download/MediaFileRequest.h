#pragma once

#include "MediaFileRequestBase.h"
#include "RemoteFileIdentity.h"
#include "ResumeNote.h"

#include <QFile>
#include <QFutureWatcher>
#include <QList>
#include <QTimer>

class MediaPartFileRequest;
class QNetworkAccessManager;
class QNetworkReply;

// Downloads one remote file: probes it (HEAD, falling back to GET), follows redirects and
// text answers that carry an address, splits it into byte ranges fetched by part requests
// (at most five running in the whole program) and appends the parts into one file.
// A server that ignores ranges, or sends no length, gets one whole-file download instead.
class MediaFileRequest : public MediaFileRequestBase
{
    Q_OBJECT
public:
    // The length probe goes out from the event loop, after the caller has had the chance to
    // set cookies and stream headers.
    MediaFileRequest(const QUrl& url, const QString& baseName, QObject* parent = nullptr);
    ~MediaFileRequest() override;

    void start() override;
    qint64 contentLength() const override { return m_contentLength; }
    qint64 bytesReceived() const override { return m_bytesReceived; }
    void setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl) override;

    int partCount() const { return m_partCount; }
    qint64 partSize() const { return m_partSize; }
    // The number of byte ranges for a file of this many bytes.
    static int partCountFor(qint64 contentLength);
    // Redirects and text hops a probe follows; the next one fails the request.
    static constexpr int maxRedirects() { return 6; }
    // The most of a text answer that is read to find an address in it.
    static constexpr qint64 textAnswerLimit() { return 64 * 1024; }
    // Probes sent for one step before the request gives up on a server that does not answer.
    static constexpr int maxProbeAttempts() { return 3; }
    // Times the download starts over because the file changed on the server.
    static constexpr int maxRestarts() { return 2; }

signals:
    void pause(bool paused);

public slots:
    void onCancelDownload() override;
    void onPause(bool paused) override;

private slots:
    // Every second: syncs the data in the background, then notes how far the parts got.
    void saveProgress();
    void onProgressSynced();
    void onPartFinished(int partNumber, QString fileName);
    void onHeadReplyFinished();
    void onProbeContentLengthFinished();
    void onGetAltReadyRead();
    void onError(QString reason) override;
    void onBytesRecieved(qulonglong bytes);
    void onBytesDiscarded(qulonglong bytes);
    void onPartRangesIgnored();
    void onRemoteFileChanged();
    void onSlotReleased();

private:
    enum class Probe { ContentLength, Start };

    // hops: redirects and text hops followed so far in this probe's chain; attempt: the
    // probes sent for this step so far, this one included.
    void sendProbe(Probe kind, const QByteArray& method, int hops, int attempt = 1);
    void onProbeTimedOut(QNetworkReply* reply);
    void handleProbeReply(QNetworkReply* reply, bool probeOnly);
    // A text answer: an address to follow, an error page, or the file itself. Returns true
    // when the answer was settled (followed or failed).
    bool handleTextAnswer(QNetworkReply* reply, bool probeOnly, int hops);
    void takeContentLength(QNetworkReply* reply);
    void planParts(bool rangesAccepted);
    bool openDataFile();
    void trustNoMoreThanOnDisk();
    // Takes the parts' bytes on disk into the note; false when the data file is gone.
    bool takeProgress();
    // Syncs and saves at once (pause, error, end of the request).
    void saveProgressNow();
    void startParts();
    QString partFilePath(int partNumber) const;
    qint64 rangeStartOf(int partNumber) const;
    // The file the ranges are written into.
    QString dataFilePath() const;
    QString joinTarget() const;
    bool finishEarlierJoin();
    void recordFinishedPart(int partNumber, const QString& fileName);
    void startOver();
    void removeDataFiles();
    void stopParts();
    void releaseReply(QNetworkReply* reply);
    QString dataFileGoneText() const;

    QNetworkAccessManager* m_manager = nullptr;
    bool m_cancelled = false;
    bool m_paused = false;
    bool m_started = false;
    // The length is known and the ranges are laid out.
    bool m_planned = false;
    int m_partCount = 8;
    int m_nextPart = 0;
    qint64 m_partSize = 0;
    qint64 m_contentLength = -1;
    qint64 m_bytesReceived = 0;
    int m_lastStatus = 0;
    // The most redirects and text hops any probe chain followed.
    int m_redirects = 0;
    int m_restarts = 0;
    bool m_connectedSent = false;
    // One whole-file part without a range (no length known, or ranges not served).
    bool m_wholeFile = false;
    RemoteFileIdentity m_remote;
    QByteArray m_identity;
    ResumeNote m_note;
    QTimer m_noteTimer;
    // The note as it was when the running sync began: what it may claim once that is done.
    ResumeNote m_noteBeingSynced;
    QFutureWatcher<QString> m_syncWatcher;
    // The ranges' file, held open to notice when it disappears and to sync it before the
    // note claims its bytes.
    QFile m_dataFile;
    QList<MediaPartFileRequest*> m_parts;
};

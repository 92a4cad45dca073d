#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QUrl>

#include "PartFileWriter.h"
#include "RemoteFileIdentity.h"
#include "net/HttpSemantics.h"

class QNetworkAccessManager;
class QTimer;

// Downloads one byte range of a remote file, or a whole small file such as an HLS segment,
// into one part file. Bytes go to the part file as they arrive, so memory stays bounded and
// a part continues from the bytes already on disk: after a pause, a retry, a restart of the
// program or a crash. A response is only taken when it is the range that was asked for.
class MediaPartFileRequest : public QObject
{
    Q_OBJECT
public:
    explicit MediaPartFileRequest(QObject* parent = nullptr);
    ~MediaPartFileRequest() override;

    // Called once, before get(). A negative range start or end asks for the whole file.
    // Takes one slot of the program-wide running part count until the part ends.
    void setup(const QUrl& url, int partNumber, const QString& filePath,
        const QList<QNetworkCookie>& cookies, bool paused, qint64 rangeStart = -1,
        qint64 rangeEnd = -1);
    // Segments of one HLS stream share their owner's manager; otherwise the part makes its own.
    void setNetworkManager(QNetworkAccessManager* manager);
    // Writes the range at its own offset into the file named at set-up, which the parts of
    // one download share; bytesDone of the range are there already. Called before get().
    void writeIntoSharedFile(qint64 bytesDone);
    // The stream's own headers (a Referer, say) sent with every GET. The fixed user agent,
    // the range and the transfer encoding stay ours.
    void setStreamHeaders(const HttpSemantics::HeaderList& headers);
    // The version of the remote file this part belongs to: sent as "If-Range" and compared
    // with every answer. An answer of another version ends the part with remoteFileChanged().
    void setRemoteIdentity(const RemoteFileIdentity& identity);

    int partNumber() const { return m_partNumber; }
    QString fileName() const { return m_filePath; }
    bool hasRange() const { return m_hasRange; }
    qint64 rangeStart() const { return m_rangeStart; }
    qint64 rangeEnd() const { return m_rangeEnd; }
    // Bytes of this part in its part file.
    qint64 bytesOnDisk() const { return m_writer.bytesDone(); }
    bool isFinished() const { return m_finished; }
    QString errorText() const { return m_errorText; }
    int attempts() const { return m_attempts; }
    // Attempts that added no bytes (less than a stall's worth); the part gives up after
    // maxErrorAttempts() of them in a row.
    int failedAttempts() const { return m_failedAttempts; }

    static QByteArray userAgent();
    // Most redirects one part follows; the next one fails the part.
    static constexpr int maxRedirects() { return 4; }
    // Attempts without progress (a network error, a stall, a server error) that a part may
    // make; an attempt that added bytes is not counted, so a link that drops now and then
    // still finishes while a dead one fails after the same number of attempts.
    static constexpr int maxErrorAttempts() { return 3; }
    // Error bodies are never read beyond this.
    static constexpr qint64 errorBodyLimit() { return 4096; }

signals:
    void bytesRecieved(qulonglong bytes);
    // Bytes reported earlier that had to be thrown away (a server restarted a whole file).
    void bytesDiscarded(qulonglong bytes);
    void finished(int partNo, QString fileName);
    void error(QString errString);
    void connected();
    void done();
    // The server answered the ranged request with the whole file.
    void rangesIgnored(int partNo);
    // The server now has another version of the file (validator or length differ).
    void remoteFileChanged(int partNo);

public slots:
    void get();
    void onPause(bool paused);
    void onCancel();
    void readDispatch(bool limit);

private slots:
    void onFinished();
    void onMetaDataChanged();
    void scheduleRead();
    void read();
    void onTimeout();

private:
    enum class Response { Unchecked, Accepted, Rejected, WrongRange, RangesIgnored, Changed };

    qint64 rangeLength() const { return m_rangeEnd - m_rangeStart + 1; }
    bool openPartFile();
    void reportBytesOnDisk();
    void checkResponse();
    bool writeBody(const QByteArray& data);
    void handleFinishedReply(QNetworkReply* reply);
    // Acts on an answer that carries no part data, as soon as its headers are in.
    void handleRejectedReply(QNetworkReply* reply);
    void handleChangedFile();
    bool followRedirect(QNetworkReply* reply);
    bool isCompleteAfterRangeNotSatisfiable(QNetworkReply* reply);
    qint64 expectedBodyLength(QNetworkReply* reply) const;
    void retryAfterError(const QString& reason);
    bool madeProgress() const;
    void reconnect();
    void complete();
    void fail(const QString& text);
    void dropReply();
    void closePartFile();
    void releaseSlot();
    void applyReadBufferSize();
    void restartWatchdog();
    QString fileGoneText() const;

    QNetworkReply* m_reply = nullptr;
    QString m_filePath;
    PartFileWriter m_writer;
    QTimer* m_watchdog = nullptr;
    int m_partNumber = 0;
    int m_lastStatus = 0;
    int m_redirects = 0;
    bool m_hasRange = false;
    qint64 m_rangeStart = -1;
    qint64 m_rangeEnd = -1;
    // Bytes announced through bytesRecieved() and not taken back.
    qint64 m_bytesReported = 0;
    // Offset in the remote file of the first byte of the current reply's body.
    qint64 m_requestOffset = 0;
    bool m_sentRange = false;
    qint64 m_bodyBytes = 0;
    Response m_response = Response::Unchecked;
    bool m_connectedSent = false;
    int m_attempts = 0;
    int m_failedAttempts = 0;
    int m_failuresInRow = 0;
    // The most bytes of the part ever on disk, and that mark when the current attempt began.
    qint64 m_bestBytes = 0;
    qint64 m_bestBytesAtAttempt = 0;
    // Bytes since the watchdog was last restarted; a trickle below a stall's worth is a stall.
    qint64 m_bytesSinceWatchdog = 0;
    HttpSemantics::HeaderList m_streamHeaders;
    RemoteFileIdentity m_identity;
    QUrl m_url;
    QUrl m_originalUrl;
    QNetworkAccessManager* m_manager = nullptr;
    bool m_cancelled = false;
    QList<QNetworkCookie> m_cookies;
    bool m_paused = false;
    bool m_started = false;
    bool m_finished = false;
    bool m_failed = false;
    bool m_holdsSlot = false;
    bool m_limit = false;
    bool m_readPending = false;
    QString m_errorText;
};

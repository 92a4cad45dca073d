#pragma once

#include "app/KObject.h"
#include "net/HttpSemantics.h"

#include <QFutureWatcher>
#include <QList>
#include <QMap>
#include <QNetworkCookie>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class FileJoinerBase;
class QLockFile;
class ProcessCancellation;
class ProcessPool;

// The common base of the requests that fetch the file or files of one download job. It holds
// the file base name, the finished part files, the joiner and the joined result, and runs the
// join on a worker thread so that the user interface never waits for the disk.
class MediaFileRequestBase : public QObject, public KObject
{
    Q_OBJECT
public:
    MediaFileRequestBase(const QString& baseName, FileJoinerBase* joiner, QObject* parent);
    ~MediaFileRequestBase() override;

    virtual void start() = 0;
    virtual qint64 contentLength() const = 0;
    virtual qint64 bytesReceived() const = 0;
    virtual void setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl) = 0;

    bool complete() const { return m_complete; }
    QString resultFileName() const { return m_resultFileName; }
    QString baseName() const { return m_baseName; }
    QUrl url() const { return m_url; }
    FileJoinerBase* joiner() const { return m_joiner.get(); }
    // Where the joiner's ffmpeg runs; without one it runs on the global pool. A request that
    // goes away (a cancelled or removed download) ends a join that still runs.
    void setProcessPool(ProcessPool* pool) { m_processPool = pool; }

    // Where part files live: the download location followed by the temporary folder name
    // (preferences), unless set; created when missing; ends with a separator.
    QString temporaryDirectory() const;
    virtual void setTemporaryDirectory(const QString& directory);
    // The temporary folder followed by the name; empty for a name that is not a plain file
    // name, so that nothing a server or caller says can point outside the folder.
    QString tempFilePath(const QString& name) const;
    static bool isPlainFileName(const QString& name);
    // The stream's own HTTP headers (from the download helper), sent with every request of
    // the stream; applies to requests sent after the call.
    virtual void setStreamHeaders(const HttpSemantics::HeaderList& headers);
    HttpSemantics::HeaderList streamHeaders() const { return m_streamHeaders; }

signals:
    void finished();
    void connected();
    void progressUpdate();
    void totalBytesRecievedUpdate(qulonglong bytes);
    void error(QString errorMsg);
    void hasFileName(int part, QString fileName);
    void cancelDownload();
    void limitBandwidthChanged(bool doLimit);
    void gotContentLength();

public slots:
    virtual void onCancelDownload() = 0;
    virtual void onPause(bool paused) = 0;
    virtual void onTempPause();
    virtual void onTempResume();
    void onLimitBandwidthChanged(bool doLimit);

protected slots:
    void onFileSegmentsJoined();
    virtual void onError(QString errMsg);

protected:
    // Runs the joiner over the files on the global thread pool.
    void joinFiles(const QStringList& files, const QString& target);
    // The joined file is already there (an earlier run finished it).
    void markComplete(const QString& resultFileName);
    // Sets the error text and emits error(), once per request.
    void reportError(const QString& text);
    // Called before a join failure is reported.
    virtual void cleanUpBeforeError() { }
    // Makes the temporary folder and locks this download's parts in it against another run
    // of the same download; false with the error reported when either fails.
    bool claimParts();
    void releaseParts();

    QString m_baseName;
    QMap<int, QString> m_finishedParts;
    QUrl m_url;

private:
    bool m_complete = false;
    QFutureWatcher<QString> m_joinWatcher;
    // Shared with the running join, which may outlive the request.
    std::shared_ptr<FileJoinerBase> m_joiner;
    QString m_resultFileName;
    QString m_temporaryDirectory;
    std::unique_ptr<QLockFile> m_partsLock;
    HttpSemantics::HeaderList m_streamHeaders;
    ProcessPool* m_processPool = nullptr;
    std::shared_ptr<ProcessCancellation> m_joinCancellation;
};

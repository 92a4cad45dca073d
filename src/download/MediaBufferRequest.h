#pragma once

#include "app/KObject.h"

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches a stream for in-app playback into a buffer file with one plain GET, outside the
// download queue: says when enough is on disk to start playing and how far it got in tenths
// of a percent. Lives on the main thread.
class MediaBufferRequest : public QObject, public KObject
{
    Q_OBJECT
public:
    // Playback may start once this much is on disk.
    static constexpr qint64 bufferBytes = 300000;

    // The buffer file is bufferDirectory/name.<format's extension>; name must be a plain
    // file name.
    MediaBufferRequest(const QUrl& address, const QString& name, int format,
        const QString& bufferDirectory, QObject* parent = nullptr);
    ~MediaBufferRequest() override;

    // Probes the address with HEAD, then downloads.
    void start();
    QString fileName() const { return m_file.fileName(); }
    qint64 contentLength() const { return m_contentLength; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    bool rangesAccepted() const { return m_rangesAccepted; }

    // Redirections followed before the address counts as broken.
    static constexpr int maximumRedirects = 10;

signals:
    // The buffer file is complete (and closed).
    void finished(QFile* file);
    void connected();
    void progressUpdateSignal(int proMill);
    void error(QString errorMsg);
    void bufferReady();

public slots:
    void cancelDownload();

private slots:
    void downloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void downloadFinished();
    void headReplyFinished();
    void replyChunkReady();
    void replyError();

private:
    void sendHead();
    void startDownload();
    void report(const QString& text);
    void releaseReply();

    QNetworkAccessManager* m_manager;
    QFile m_file;
    QUrl m_address;
    QString m_name;
    int m_format;
    QString m_bufferDirectory;
    qint64 m_contentLength = -1;
    qint64 m_bytesReceived = 0;
    int m_lastStatus = 0;
    bool m_rangesAccepted = false;
    bool m_cancelled = false;
    bool m_connectedSent = false;
    bool m_bufferReadySent = false;
    float m_progress = 0;
    int m_redirects = 0;
    QPointer<QNetworkReply> m_reply;
};

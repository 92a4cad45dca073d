#pragma once

#include "MediaFileRequestBase.h"

#include <QHash>
#include <QList>
#include <QStringList>

class MediaPartFileRequest;
class QNetworkAccessManager;
class QNetworkReply;

// Fetches the segments of an HLS stream (or any list of consecutive pieces), each into its
// own ".ts" file, up to seven at a time, and joins them into the stream's container.
class HLSMediaFileRequest : public MediaFileRequestBase
{
    Q_OBJECT
public:
    // Estimates the length from byte ranges written into the addresses; without them the
    // first segment is asked for its length (a HEAD) when the request starts. No segments
    // leave the error text set at once.
    HLSMediaFileRequest(
        const QList<QUrl>& urls, const QString& baseName, int format, QObject* parent = nullptr);
    ~HLSMediaFileRequest() override;

    void start() override;
    qint64 contentLength() const override { return m_contentLength; }
    qint64 bytesReceived() const override { return m_bytesReceived; }
    void setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl) override;

    int runningSegments() const { return int(m_running.size()); }
    QString segmentFileName(int index) const { return m_segmentFiles.value(index); }
    // A new segment starts while at most this many run, so one more can be running at once.
    static constexpr int runningLimit() { return 6; }
    // The sum of the byte ranges written into the addresses ("/0-999"), 0 when there are none.
    static qint64 lengthFromUrlRanges(const QList<QUrl>& urls);

public slots:
    void onCancelDownload() override;
    void onPause(bool paused) override;

private slots:
    void onConnected();
    void onSegmentFinished(int partNo, QString fileName);
    void onBytesRecievedUpdate(qulonglong bytes);
    void onBytesDiscarded(qulonglong bytes);
    void onError(QString errMsg) override;

private slots:
    void onFirstSegmentHeadFinished();

private:
    void estimateFromFirstSegment();
    void nameSegments();
    void startSegments();
    void stopSegments();

    bool m_paused = false;
    bool m_cancelled = false;
    QList<QUrl> m_segmentUrls;
    // By segment index: the same address may stand twice in a playlist.
    QStringList m_segmentFiles;
    qint64 m_contentLength = 0;
    qint64 m_totalBytes = 0;
    qint64 m_bytesReceived = 0;
    int m_nextSegment = 0;
    QHash<MediaPartFileRequest*, int> m_running;
    QNetworkAccessManager* m_manager = nullptr;
    QNetworkReply* m_headReply = nullptr;
    bool m_connectedSent = false;
};

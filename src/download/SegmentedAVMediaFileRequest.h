#pragma once

#include "MediaFileRequestBase.h"

#include <QList>

// Fetches a separate video stream and audio stream, each through its own request, one after
// the other (video first), and muxes them into one file.
class SegmentedAVMediaFileRequest : public MediaFileRequestBase
{
    Q_OBJECT
public:
    // Takes ownership of both requests. The format is the media item's, for the joiner.
    SegmentedAVMediaFileRequest(MediaFileRequestBase* video, MediaFileRequestBase* audio,
        const QString& baseName, int format, QObject* parent = nullptr);

    void start() override;
    qint64 contentLength() const override;
    qint64 bytesReceived() const override;
    void setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl) override;
    void setTemporaryDirectory(const QString& directory) override;

    int currentSegment() const { return m_currentSegment; }

public slots:
    void onCancelDownload() override;
    void onPause(bool paused) override;
    void onTempPause() override;
    void onTempResume() override;

private slots:
    void onConnected();
    void onSegmentFinished();
    void onProgressUpdate();
    void onGotSegmentContentLength();

private:
    void startCurrentSegment();
    MediaFileRequestBase* currentRequest() const;

    QList<MediaFileRequestBase*> m_segments;
    int m_currentSegment = 0;
    qint64 m_contentLength = 0;
    QList<QNetworkCookie> m_cookies;
    QUrl m_pageUrl;
    bool m_connectedSent = false;
};

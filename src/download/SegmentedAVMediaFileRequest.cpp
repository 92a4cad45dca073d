#include "SegmentedAVMediaFileRequest.h"

#include "AudioVideoJoiner.h"

#include <QFile>

SegmentedAVMediaFileRequest::SegmentedAVMediaFileRequest(MediaFileRequestBase* video,
    MediaFileRequestBase* audio, const QString& baseName, int format, QObject* parent)
    : MediaFileRequestBase(baseName, new AudioVideoJoiner(format), parent)
{
    for (MediaFileRequestBase* segment : { video, audio }) {
        if (!segment)
            continue;
        segment->setParent(this);
        m_segments.append(segment);
        connect(segment, &MediaFileRequestBase::gotContentLength, this,
            &SegmentedAVMediaFileRequest::onGotSegmentContentLength);
        connect(segment, &MediaFileRequestBase::error, this, &SegmentedAVMediaFileRequest::onError);
    }
    if (video)
        m_url = video->url();
}

void SegmentedAVMediaFileRequest::start()
{
    if (m_segments.size() != 2)
        return;
    startCurrentSegment();
}

void SegmentedAVMediaFileRequest::startCurrentSegment()
{
    MediaFileRequestBase* segment = currentRequest();
    if (!segment)
        return;
    connect(
        segment, &MediaFileRequestBase::connected, this, &SegmentedAVMediaFileRequest::onConnected);
    connect(segment, &MediaFileRequestBase::finished, this,
        &SegmentedAVMediaFileRequest::onSegmentFinished);
    connect(segment, &MediaFileRequestBase::progressUpdate, this,
        &SegmentedAVMediaFileRequest::onProgressUpdate);
    connect(this, &MediaFileRequestBase::limitBandwidthChanged, segment,
        &MediaFileRequestBase::onLimitBandwidthChanged);
    segment->setCookies(m_cookies, m_pageUrl);
    segment->start();
}

MediaFileRequestBase* SegmentedAVMediaFileRequest::currentRequest() const
{
    return m_currentSegment < m_segments.size() ? m_segments.at(m_currentSegment) : nullptr;
}

qint64 SegmentedAVMediaFileRequest::contentLength() const
{
    return m_contentLength;
}

qint64 SegmentedAVMediaFileRequest::bytesReceived() const
{
    qint64 total = 0;
    for (const MediaFileRequestBase* segment : m_segments)
        total += segment->bytesReceived();
    return total;
}

void SegmentedAVMediaFileRequest::setCookies(
    const QList<QNetworkCookie>& cookies, const QUrl& pageUrl)
{
    m_cookies = cookies;
    m_pageUrl = pageUrl;
}

void SegmentedAVMediaFileRequest::setTemporaryDirectory(const QString& directory)
{
    MediaFileRequestBase::setTemporaryDirectory(directory);
    for (MediaFileRequestBase* segment : std::as_const(m_segments))
        segment->setTemporaryDirectory(directory);
}

void SegmentedAVMediaFileRequest::onGotSegmentContentLength()
{
    // The sum of what the segments know now; a segment may report more than once.
    m_contentLength = 0;
    for (const MediaFileRequestBase* segment : std::as_const(m_segments))
        m_contentLength += qMax<qint64>(0, segment->contentLength());
}

void SegmentedAVMediaFileRequest::onSegmentFinished()
{
    auto* segment = qobject_cast<MediaFileRequestBase*>(sender());
    if (!segment || !m_segments.contains(segment)) {
        reportError(QStringLiteral("Request of segment %1 was NULL").arg(m_currentSegment));
        return;
    }
    segment->disconnect(this);
    disconnect(this, nullptr, segment, nullptr);
    if (!segment->errorText().isEmpty()) {
        reportError(segment->errorText());
        return;
    }
    m_finishedParts.insert(m_segments.indexOf(segment), segment->resultFileName());
    if (m_finishedParts.size() == m_segments.size()) {
        joinFiles(m_finishedParts.values(), QString());
        return;
    }
    ++m_currentSegment;
    startCurrentSegment();
}

void SegmentedAVMediaFileRequest::onProgressUpdate()
{
    emit progressUpdate();
}

void SegmentedAVMediaFileRequest::onConnected()
{
    if (m_connectedSent)
        return;
    m_connectedSent = true;
    emit connected();
}

void SegmentedAVMediaFileRequest::onCancelDownload()
{
    emit cancelDownload();
    if (MediaFileRequestBase* segment = currentRequest())
        segment->onCancelDownload();
    // A stream fetched completely before the cancel is not wanted either.
    for (const QString& file : std::as_const(m_finishedParts))
        QFile::remove(file);
}

void SegmentedAVMediaFileRequest::onPause(bool paused)
{
    if (MediaFileRequestBase* segment = currentRequest())
        segment->onPause(paused);
}

void SegmentedAVMediaFileRequest::onTempPause()
{
    if (MediaFileRequestBase* segment = currentRequest())
        segment->onTempPause();
}

void SegmentedAVMediaFileRequest::onTempResume()
{
    if (MediaFileRequestBase* segment = currentRequest())
        segment->onTempResume();
}

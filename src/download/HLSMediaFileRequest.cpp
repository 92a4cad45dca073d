#include "HLSMediaFileRequest.h"

#include "HLSFileJoiner.h"
#include "MediaPartFileRequest.h"
#include "net/HttpRequest.h"
#include "net/NetworkAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QRegularExpression>

HLSMediaFileRequest::HLSMediaFileRequest(
    const QList<QUrl>& urls, const QString& baseName, int format, QObject* parent)
    : MediaFileRequestBase(baseName, new HLSFileJoiner(format), parent)
    , m_segmentUrls(urls)
{
    if (urls.isEmpty()) {
        setErrorText(QStringLiteral("No segments"));
        return;
    }
    m_url = urls.first();
    m_contentLength = lengthFromUrlRanges(urls);
    // No usable ranges in the addresses: ask the server about the first segment.
    if (m_contentLength <= 0)
        estimateFromFirstSegment();
    if (m_contentLength <= 0)
        return;
    for (int index = 0; index < urls.size(); ++index)
        m_segmentFiles.append(
            baseName + QLatin1Char('_') + QString::number(index) + QStringLiteral(".ts"));
    m_manager = NetworkAccess::transfers();
}

qint64 HLSMediaFileRequest::lengthFromUrlRanges(const QList<QUrl>& urls)
{
    static const QRegularExpression range(QStringLiteral("\\/(\\d+)-(\\d+)"));
    qint64 total = 0;
    for (const QUrl& url : urls) {
        const QRegularExpressionMatch match = range.match(url.toString());
        if (!match.hasMatch())
            break;
        bool firstValid = false;
        bool lastValid = false;
        const qint64 first = match.captured(1).toLongLong(&firstValid);
        const qint64 last = match.captured(2).toLongLong(&lastValid);
        if (firstValid && lastValid && last > first)
            total += last - first;
    }
    return total;
}

void HLSMediaFileRequest::estimateFromFirstSegment()
{
    HttpRequest request;
    QUrl first = m_segmentUrls.first();
    request.head(first, false);
    const int status = request.httpStatus();
    if (status != 200) {
        setErrorText(QStringLiteral("HLSMediaFileRequest::HLSMediaFileRequest() returned status "
                                    "code %1 when attempting to determine content length of "
                                    "first segment")
                         .arg(status));
        return;
    }
    if (request.contentLength() <= 0) {
        setErrorText(QStringLiteral("Error: HLSMediaFileRequest::HLSMediaFileRequest(): Content "
                                    "length is zero for first segment"));
        return;
    }
    m_contentLength = request.contentLength() * m_segmentUrls.size();
}

void HLSMediaFileRequest::setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl)
{
    if (m_manager)
        m_manager->cookieJar()->setCookiesFromUrl(cookies, pageUrl);
}

void HLSMediaFileRequest::start()
{
    if (!errorText().isEmpty() || m_segmentFiles.isEmpty())
        return;
    // The estimate is known since construction.
    if (m_nextSegment == 0 && m_finishedParts.isEmpty())
        emit gotContentLength();
    startSegments();
}

void HLSMediaFileRequest::startSegments()
{
    const int count = int(m_segmentUrls.size());
    while (!m_cancelled && !m_paused && errorText().isEmpty() && m_running.size() <= runningLimit()
        && m_finishedParts.size() < count && m_nextSegment < count) {
        const int index = m_nextSegment++;
        const QString path = tempFilePath(m_segmentFiles.at(index));
        if (path.isEmpty()) {
            reportError(tr("Download failed: %1").arg(tr("invalid file name")));
            return;
        }
        const QUrl& url = m_segmentUrls.at(index);
        auto* segment = new MediaPartFileRequest(this);
        segment->setNetworkManager(m_manager);
        segment->setup(
            url, index, path, m_manager->cookieJar()->cookiesForUrl(url), m_paused, -1, -1);
        m_running.insert(segment, index);
        connect(segment, &MediaPartFileRequest::connected, this, &HLSMediaFileRequest::onConnected);
        connect(segment, &MediaPartFileRequest::finished, this,
            &HLSMediaFileRequest::onSegmentFinished);
        connect(segment, &MediaPartFileRequest::bytesRecieved, this,
            &HLSMediaFileRequest::onBytesRecievedUpdate);
        connect(segment, &MediaPartFileRequest::bytesDiscarded, this,
            &HLSMediaFileRequest::onBytesDiscarded);
        connect(segment, &MediaPartFileRequest::error, this, &HLSMediaFileRequest::onError);
        connect(this, &MediaFileRequestBase::limitBandwidthChanged, segment,
            &MediaPartFileRequest::readDispatch);
        segment->get();
    }
}

void HLSMediaFileRequest::onSegmentFinished(int partNo, QString fileName)
{
    auto* segment = qobject_cast<MediaPartFileRequest*>(sender());
    if (!segment || !m_running.contains(segment)) {
        reportError(QStringLiteral("Request of segment %1 was NULL").arg(partNo));
        return;
    }
    const int index = m_running.take(segment);
    segment->disconnect(this);
    disconnect(this, nullptr, segment, nullptr);
    segment->deleteLater();
    if (!segment->errorText().isEmpty())
        return;
    m_totalBytes += QFileInfo(fileName).size();
    m_finishedParts.insert(index, fileName);
    m_contentLength = m_totalBytes / m_finishedParts.size() * m_segmentUrls.size();
    if (m_finishedParts.size() == m_segmentUrls.size())
        joinFiles(m_finishedParts.values(), QString());
    else
        startSegments();
}

void HLSMediaFileRequest::onConnected()
{
    if (m_connectedSent)
        return;
    m_connectedSent = true;
    emit connected();
}

void HLSMediaFileRequest::onBytesRecievedUpdate(qulonglong bytes)
{
    m_bytesReceived += qint64(bytes);
    onConnected();
    emit progressUpdate();
}

void HLSMediaFileRequest::onBytesDiscarded(qulonglong bytes)
{
    m_bytesReceived = qMax<qint64>(0, m_bytesReceived - qint64(bytes));
    emit progressUpdate();
}

void HLSMediaFileRequest::onPause(bool paused)
{
    m_paused = paused;
    for (auto it = m_running.cbegin(); it != m_running.cend(); ++it)
        it.key()->onPause(paused);
    if (!paused)
        startSegments();
}

void HLSMediaFileRequest::onCancelDownload()
{
    m_cancelled = true;
    emit cancelDownload();
    QStringList files = m_finishedParts.values();
    for (auto it = m_running.cbegin(); it != m_running.cend(); ++it)
        files.append(it.key()->fileName());
    stopSegments();
    for (const QString& file : std::as_const(files))
        QFile::remove(file);
}

void HLSMediaFileRequest::onError(QString errMsg)
{
    // The segments on disk stay for a later attempt.
    stopSegments();
    reportError(errMsg);
}

void HLSMediaFileRequest::stopSegments()
{
    for (auto it = m_running.cbegin(); it != m_running.cend(); ++it) {
        MediaPartFileRequest* segment = it.key();
        segment->disconnect(this);
        disconnect(this, nullptr, segment, nullptr);
        segment->onCancel();
        segment->deleteLater();
    }
    m_running.clear();
}

#include "HLSMediaFileRequest.h"

#include "HLSFileJoiner.h"
#include "MediaPartFileRequest.h"
#include "TransferTimings.h"
#include "net/NetworkAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QRegularExpression>

HLSMediaFileRequest::HLSMediaFileRequest(
    const QList<QUrl>& urls, const QString& baseName, int format, QObject* parent)
    : MediaFileRequestBase(baseName, new HLSFileJoiner(format), parent)
    , m_segmentUrls(urls)
    , m_manager(NetworkAccess::transfers())
{
    if (urls.isEmpty()) {
        setErrorText(QStringLiteral("No segments"));
        return;
    }
    m_url = urls.first();
    m_contentLength = lengthFromUrlRanges(urls);
    if (m_contentLength > 0)
        nameSegments();
}

HLSMediaFileRequest::~HLSMediaFileRequest()
{
    if (m_headReply) {
        m_headReply->disconnect(this);
        m_headReply->abort();
    }
}

void HLSMediaFileRequest::nameSegments()
{
    m_segmentFiles.clear();
    for (int index = 0; index < m_segmentUrls.size(); ++index)
        m_segmentFiles.append(
            m_baseName + QLatin1Char('_') + QString::number(index) + QStringLiteral(".ts"));
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
    QNetworkRequest request(m_segmentUrls.first());
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MediaPartFileRequest::maxRedirects());
    request.setTransferTimeout(TransferTimings::probeTimeoutMs());
    for (const auto& header : streamHeaders()) {
        if (HttpSemantics::isSafeHeader(header.first, header.second))
            request.setRawHeader(header.first, header.second);
    }
    request.setRawHeader("User-Agent", MediaPartFileRequest::userAgent());
    request.setRawHeader("Accept-Encoding", "identity");
    m_headReply = m_manager->head(request);
    connect(m_headReply, &QNetworkReply::finished, this,
        &HLSMediaFileRequest::onFirstSegmentHeadFinished);
}

void HLSMediaFileRequest::onFirstSegmentHeadFinished()
{
    QNetworkReply* reply = m_headReply;
    m_headReply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    if (m_cancelled || !errorText().isEmpty())
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0
        && (reply->error() == QNetworkReply::OperationCanceledError
            || reply->error() == QNetworkReply::TimeoutError)) {
        // The transfer time-out ended it: name the host that kept quiet.
        reportError(tr("Download failed: %1")
                        .arg(tr("%1 did not answer within %2 seconds")
                                 .arg(reply->url().host())
                                 .arg(TransferTimings::probeTimeoutMs() / 1000.0)));
        return;
    }
    if (status != 200) {
        reportError(QStringLiteral("HLSMediaFileRequest::HLSMediaFileRequest() returned status "
                                   "code %1 when attempting to determine content length of "
                                   "first segment")
                        .arg(status));
        return;
    }
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (length <= 0) {
        reportError(QStringLiteral("Error: HLSMediaFileRequest::HLSMediaFileRequest(): Content "
                                   "length is zero for first segment"));
        return;
    }
    m_contentLength = length * m_segmentUrls.size();
    nameSegments();
    start();
}

void HLSMediaFileRequest::setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl)
{
    m_manager->cookieJar()->setCookiesFromUrl(cookies, pageUrl);
}

void HLSMediaFileRequest::start()
{
    if (!errorText().isEmpty() || m_cancelled || !claimParts())
        return;
    if (m_segmentFiles.isEmpty()) {
        // The length comes from the first segment; the segments follow its answer.
        if (!m_headReply)
            estimateFromFirstSegment();
        return;
    }
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
        segment->setStreamHeaders(streamHeaders());
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
    if (m_headReply) {
        m_headReply->disconnect(this);
        m_headReply->abort();
        m_headReply->deleteLater();
        m_headReply = nullptr;
    }
    releaseParts();
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

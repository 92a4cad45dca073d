#include "MediaFileRequest.h"

#include "ConcatFileJoiner.h"
#include "MediaPartFileRequest.h"
#include "RunningParts.h"
#include "app/WebAddress.h"
#include "net/NetworkAccess.h"
#include "net/TlsTrust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>

#include <cmath>

namespace {

const char* const kMethodProperty = "method";
// Redirects and text hops are counted per probe chain: the construction probe and the
// start probe run side by side and must not eat into each other's allowance.
const char* const kHopsProperty = "hops";

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

MediaFileRequest::MediaFileRequest(const QUrl& url, const QString& baseName, QObject* parent)
    : MediaFileRequestBase(baseName, new ConcatFileJoiner(), parent)
    , m_manager(NetworkAccess::transfers())
{
    m_url = url;
    connect(RunningParts::instance(), &RunningParts::slotReleased, this,
        &MediaFileRequest::onSlotReleased, Qt::QueuedConnection);
    m_noteTimer.setInterval(1000);
    connect(&m_noteTimer, &QTimer::timeout, this, &MediaFileRequest::saveProgress);
    sendProbe(Probe::ContentLength, "head", 0);
}

MediaFileRequest::~MediaFileRequest()
{
    // The note outlives a finished join until its file has been taken over, so that a
    // restart finds the file done; with the request gone it has served its purpose.
    if (complete())
        m_note.remove();
    else if (!m_cancelled)
        saveProgress();
}

int MediaFileRequest::partCountFor(qint64 contentLength)
{
    constexpr int minimum = 8;
    const qint64 mebibytes = contentLength / 1048576;
    // log(m) is 0 for one MiB and undefined below it: such files get the minimum.
    if (mebibytes < 2)
        return minimum;
    const double m = double(mebibytes);
    const double parts = m / ((std::log(m) / std::log(3.0)) * 0.5) * 0.25;
    return qMax(minimum, int(parts));
}

void MediaFileRequest::setCookies(const QList<QNetworkCookie>& cookies, const QUrl& pageUrl)
{
    m_manager->cookieJar()->setCookiesFromUrl(cookies, pageUrl);
}

void MediaFileRequest::start()
{
    if (m_started)
        return;
    m_started = true;
    sendProbe(Probe::Start, "head", 0);
}

void MediaFileRequest::sendProbe(Probe kind, const QByteArray& method, int hops)
{
    m_redirects = qMax(m_redirects, hops);
    QNetworkRequest request(m_url);
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The length must be that of the file itself, not of a compressed transfer.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = method == "head" ? m_manager->head(request) : m_manager->get(request);
    // The manager is shared by the thread: a probe must not outlive its request.
    reply->setParent(this);
    reply->setProperty(kMethodProperty, QString::fromLatin1(method));
    reply->setProperty(kHopsProperty, hops);
    if (kind == Probe::ContentLength) {
        connect(
            reply, &QNetworkReply::finished, this, &MediaFileRequest::onProbeContentLengthFinished);
    } else {
        connect(reply, &QNetworkReply::finished, this, &MediaFileRequest::onHeadReplyFinished);
    }
    reply->setProperty("probeOnly", kind == Probe::ContentLength);
    if (method == "get") {
        connect(reply, &QNetworkReply::metaDataChanged, this, &MediaFileRequest::onGetAltReadyRead);
        connect(reply, &QNetworkReply::readyRead, this, &MediaFileRequest::onGetAltReadyRead);
    }
}

void MediaFileRequest::onHeadReplyFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (reply)
        reply->disconnect(this);
    handleProbeReply(reply, false);
    releaseReply(reply);
}

void MediaFileRequest::onProbeContentLengthFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (reply)
        reply->disconnect(this);
    handleProbeReply(reply, true);
    releaseReply(reply);
}

void MediaFileRequest::onGetAltReadyRead()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    // A text answer may carry the real address in its body: that needs the whole body.
    const bool text = reply->rawHeader("Content-Type").contains("text");
    if (text && (status.toInt() == 200 || status.toInt() == 206))
        return;
    // The headers are all a probe needs; the body is left to the parts.
    reply->disconnect(this);
    handleProbeReply(reply, reply->property("probeOnly").toBool());
    releaseReply(reply);
}

void MediaFileRequest::handleProbeReply(QNetworkReply* reply, bool probeOnly)
{
    if (complete() || !errorText().isEmpty() || m_cancelled)
        return;
    if (!reply) {
        reportError(tr("Unknown error ocurred while starting download"));
        return;
    }
    const QString method = reply->property(kMethodProperty).toString().toLower();
    const int hops = reply->property(kHopsProperty).toInt();
    const Probe again = probeOnly ? Probe::ContentLength : Probe::Start;
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttribute.isValid()) {
        if (reply->error() != QNetworkReply::NoError
            && reply->error() != QNetworkReply::OperationCanceledError)
            reportError(TlsTrust::errorText(reply));
        return;
    }
    m_lastStatus = statusAttribute.toInt();
    const QString tooManyRedirects
        = QStringLiteral("MediaFileRequest::headReplyFinished(): Too many redirects; giving up");

    if (isRedirect(m_lastStatus)) {
        const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (target.isEmpty()) {
            reportError(tr("Remote media file not found, got HTTP status %1: %2")
                            .arg(m_lastStatus)
                            .arg(reply->url().toString()));
            return;
        }
        if (hops >= maxRedirects()) {
            reportError(tooManyRedirects);
            return;
        }
        const QUrl next = reply->url().resolved(target);
        if (!WebAddress::isValid(next)) {
            reportError(tr("Remote media file not found, got HTTP status %1: %2")
                            .arg(m_lastStatus)
                            .arg(next.toString()));
            return;
        }
        m_url = next;
        sendProbe(again, "head", hops + 1);
        return;
    }

    if (m_lastStatus == 200 || m_lastStatus == 206) {
        if (reply->rawHeader("Content-Type").contains("text")) {
            if (hops >= maxRedirects()) {
                reportError(tooManyRedirects);
                return;
            }
            if (method == QLatin1String("head")) {
                sendProbe(again, "get", hops + 1);
                return;
            }
            const QByteArray body = reply->readAll();
            if (!body.startsWith("http")
                || !WebAddress::isValid(QUrl(QString::fromUtf8(body.trimmed())))) {
                reportError(QStringLiteral("MediaFileRequest::headReplyFinished(): Response was "
                                           "text, but didn't contain a URL:")
                    + QString::fromUtf8(body));
                return;
            }
            m_url = QUrl(QString::fromUtf8(body.trimmed()));
            sendProbe(again, "head", hops + 1);
            return;
        }
        takeContentLength(reply);
        if (probeOnly) {
            emit gotContentLength();
            return;
        }
        if (m_planned)
            return;
        m_validator = reply->rawHeader("ETag") + '|' + reply->rawHeader("Last-Modified");
        planParts(reply->rawHeader("Accept-Ranges").trimmed().toLower() != "none");
        return;
    }

    // Some servers refuse HEAD (403 or 405) yet serve GET.
    if ((m_lastStatus == 403 || m_lastStatus == 405) && method == QLatin1String("head")) {
        const QByteArray allowed = reply->rawHeader("Access-Control-Allow-Methods").toLower();
        if (!allowed.contains("head")) {
            sendProbe(again, "get", hops);
            return;
        }
        reportError(tr("Remote media file not found, got HTTP status %1").arg(m_lastStatus));
        return;
    }
    if (m_lastStatus == 403) {
        reportError(tr("Remote media file not found, got HTTP status %1").arg(m_lastStatus));
        return;
    }
    reportError(tr("Remote media file not found, got HTTP status %1: %2")
                    .arg(m_lastStatus)
                    .arg(reply->url().toString()));
}

void MediaFileRequest::takeContentLength(QNetworkReply* reply)
{
    // A ranged answer states the whole length after the slash of its Content-Range.
    static const QRegularExpression total(QStringLiteral("/(\\d+)\\s*$"));
    const QRegularExpressionMatch match
        = total.match(QString::fromLatin1(reply->rawHeader("Content-Range")));
    if (m_lastStatus == 206 && match.hasMatch()) {
        m_contentLength = match.captured(1).toLongLong();
        return;
    }
    bool ok = false;
    const qint64 length = reply->rawHeader("Content-Length").trimmed().toLongLong(&ok);
    m_contentLength = ok && length > 0 ? length : 0;
}

void MediaFileRequest::planParts(bool rangesAccepted)
{
    // Without a length there are no ranges to ask for; some servers do not serve them.
    m_wholeFile = m_contentLength <= 0 || !rangesAccepted;
    if (m_wholeFile) {
        m_partCount = 1;
        m_partSize = qMax<qint64>(m_contentLength, 0);
    } else {
        // Tiny files: no range may be empty.
        m_partCount = int(qMin<qint64>(partCountFor(m_contentLength), m_contentLength));
        m_partSize = m_contentLength / m_partCount;
    }
    m_nextPart = 0;
    m_planned = true;
    m_identity = "length=" + QByteArray::number(m_contentLength) + "\nparts="
        + QByteArray::number(m_wholeFile ? 0 : m_partCount) + "\nvalidator=" + m_validator + '\n';
    m_note.setPath(tempFilePath(m_baseName + QStringLiteral(".resume")));
    if (!m_note.load(m_identity)) {
        // Bytes of another length or version of the file would corrupt this one.
        removeDataFiles();
    } else if (finishEarlierJoin()) {
        return;
    }
    if (!m_wholeFile && !QFile::exists(dataFilePath()))
        m_note.clear();
    m_note.save(m_identity);
    startParts();
}

QString MediaFileRequest::dataFilePath() const
{
    return partFilePath(1);
}

QString MediaFileRequest::joinTarget() const
{
    return m_wholeFile ? dataFilePath() : tempFilePath(m_baseName + QStringLiteral(".part"));
}

bool MediaFileRequest::finishEarlierJoin()
{
    const QString target = joinTarget();
    if (target.isEmpty() || m_contentLength <= 0 || QFileInfo(target).size() != m_contentLength
        || (m_wholeFile && m_note.progress(1) != m_contentLength))
        return false;
    markComplete(target);
    m_bytesReceived = m_contentLength;
    m_connectedSent = true;
    emit connected();
    emit progressUpdate();
    emit finished();
    return true;
}

QString MediaFileRequest::partFilePath(int partNumber) const
{
    if (m_partCount == 1)
        return tempFilePath(m_baseName);
    return tempFilePath(m_baseName + QStringLiteral(".part") + QString::number(partNumber));
}

void MediaFileRequest::removeDataFiles()
{
    QDir directory(temporaryDirectory());
    // Also the part files of earlier versions that kept each range in a file of its own.
    const QRegularExpression partName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(m_baseName) + QStringLiteral("(\\.part\\d*)?")));
    const QStringList candidates = directory.entryList(
        { m_baseName + QLatin1Char('*') }, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates) {
        if (partName.match(name).hasMatch())
            directory.remove(name);
    }
}

void MediaFileRequest::saveProgress()
{
    if (!m_planned || complete())
        return;
    for (const MediaPartFileRequest* part : std::as_const(m_parts))
        m_note.setProgress(part->partNumber(), part->bytesOnDisk());
    m_note.save(m_identity);
}

void MediaFileRequest::startParts()
{
    if (!m_planned || m_paused || m_cancelled)
        return;
    RunningParts* running = RunningParts::instance();
    while (errorText().isEmpty() && !m_cancelled && m_nextPart < m_partCount
        && running->hasFreeSlot()) {
        const int part = ++m_nextPart;
        qint64 rangeStart = -1;
        qint64 rangeEnd = -1;
        if (!m_wholeFile) {
            rangeStart = m_partSize * (part - 1);
            rangeEnd = part == m_partCount ? m_contentLength - 1 : m_partSize * part - 1;
        }
        // Every range goes into the first part's file, at its own offset.
        const QString path = dataFilePath();
        if (path.isEmpty()) {
            reportError(tr("Download failed: %1").arg(tr("invalid file name")));
            return;
        }
        emit hasFileName(part, path);
        const qint64 done = m_note.progress(part);
        if (!m_wholeFile && done >= rangeEnd - rangeStart + 1) {
            // Finished in an earlier run.
            onBytesRecieved(qulonglong(rangeEnd - rangeStart + 1));
            recordFinishedPart(part, path);
            continue;
        }

        auto* request = new MediaPartFileRequest(this);
        // One manager for all parts: one network thread and reused connections.
        request->setNetworkManager(m_manager);
        request->setup(m_url, part, path, m_manager->cookieJar()->cookiesForUrl(m_url), m_paused,
            rangeStart, rangeEnd);
        if (!m_wholeFile)
            request->writeIntoSharedFile(done);
        connect(request, &MediaPartFileRequest::finished, this, &MediaFileRequest::onPartFinished);
        connect(request, &MediaPartFileRequest::bytesRecieved, this,
            &MediaFileRequest::onBytesRecieved);
        connect(request, &MediaPartFileRequest::bytesDiscarded, this,
            &MediaFileRequest::onBytesDiscarded);
        connect(request, &MediaPartFileRequest::error, this, &MediaFileRequest::onError);
        connect(request, &MediaPartFileRequest::rangesIgnored, this,
            &MediaFileRequest::onPartRangesIgnored);
        connect(this, &MediaFileRequest::pause, request, &MediaPartFileRequest::onPause);
        connect(this, &MediaFileRequest::limitBandwidthChanged, request,
            &MediaPartFileRequest::readDispatch);
        m_parts.append(request);
        if (!m_noteTimer.isActive())
            m_noteTimer.start();
        request->get();
    }
}

void MediaFileRequest::onSlotReleased()
{
    if (m_planned && m_nextPart < m_partCount)
        startParts();
}

void MediaFileRequest::onBytesRecieved(qulonglong bytes)
{
    m_bytesReceived += qint64(bytes);
    if (!m_connectedSent) {
        m_connectedSent = true;
        emit connected();
    }
    emit progressUpdate();
}

void MediaFileRequest::onBytesDiscarded(qulonglong bytes)
{
    m_bytesReceived = qMax<qint64>(0, m_bytesReceived - qint64(bytes));
    emit progressUpdate();
}

void MediaFileRequest::onPartFinished(int partNumber, QString fileName)
{
    auto* part = qobject_cast<MediaPartFileRequest*>(sender());
    if (part) {
        part->disconnect(this);
        disconnect(this, nullptr, part, nullptr);
        m_parts.removeOne(part);
        m_note.setProgress(partNumber, part->bytesOnDisk());
        part->deleteLater();
    }
    if (m_cancelled)
        return;
    recordFinishedPart(partNumber, fileName);
}

void MediaFileRequest::recordFinishedPart(int partNumber, const QString& fileName)
{
    m_finishedParts.insert(partNumber, fileName);
    if (m_finishedParts.size() < m_partCount) {
        startParts();
        return;
    }
    m_noteTimer.stop();
    m_note.save(m_identity);
    const QString target = joinTarget();
    if (!m_wholeFile) {
        // The ranges are in place already: the joined file is the first part's file, renamed.
        QFile::remove(target);
        if (!QFile::rename(fileName, target)) {
            reportError(tr("Could not join file parts"));
            emit finished();
            return;
        }
    }
    joinFiles({ target }, target);
}

void MediaFileRequest::onPartRangesIgnored()
{
    if (m_wholeFile) {
        onError(tr("Download failed: %1").arg(tr("the server ignored the byte range")));
        return;
    }
    // The server sends the whole file to every part: fetch it once, in one piece.
    stopParts();
    removeDataFiles();
    m_note.clear();
    m_finishedParts.clear();
    m_bytesReceived = 0;
    emit progressUpdate();
    planParts(false);
}

void MediaFileRequest::onError(QString reason)
{
    saveProgress();
    m_noteTimer.stop();
    stopParts();
    reportError(reason);
}

void MediaFileRequest::onCancelDownload()
{
    m_cancelled = true;
    emit cancelDownload();
    m_noteTimer.stop();
    stopParts();
    removeDataFiles();
    m_note.remove();
}

void MediaFileRequest::onPause(bool paused)
{
    m_paused = paused;
    emit pause(paused);
    if (paused)
        saveProgress();
    else
        startParts();
}

void MediaFileRequest::stopParts()
{
    for (MediaPartFileRequest* part : std::as_const(m_parts)) {
        part->disconnect(this);
        disconnect(this, nullptr, part, nullptr);
        part->onCancel();
        part->deleteLater();
    }
    m_parts.clear();
}

void MediaFileRequest::releaseReply(QNetworkReply* reply)
{
    if (!reply)
        return;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

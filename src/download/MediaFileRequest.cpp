#include "MediaFileRequest.h"

#include "ConcatFileJoiner.h"
#include "MediaPartFileRequest.h"
#include "RunningParts.h"
#include "TransferTimings.h"
#include "app/SafeFile.h"
#include "app/WebAddress.h"
#include "net/HttpSemantics.h"
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
const char* const kProbeOnlyProperty = "probeOnly";
const char* const kAttemptProperty = "attempt";

constexpr int kShownTextLength = 200;

// What a person may see of a text answer: printable characters only, blanks folded.
QString printableStart(const QByteArray& body)
{
    QString shown;
    for (const QChar c : QString::fromUtf8(body)) {
        if (shown.size() >= kShownTextLength)
            break;
        if (c.isSpace())
            shown += QLatin1Char(' ');
        else if (c.isPrint() && c != QChar::ReplacementCharacter)
            shown += c;
    }
    return shown.simplified();
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
    connect(&m_syncWatcher, &QFutureWatcher<QString>::finished, this,
        &MediaFileRequest::onProgressSynced);
    QMetaObject::invokeMethod(
        this, [this] { sendProbe(Probe::ContentLength, "head", 0); }, Qt::QueuedConnection);
}

MediaFileRequest::~MediaFileRequest()
{
    // The note outlives a finished join until its file has been taken over, so that a
    // restart finds the file done; with the request gone it has served its purpose.
    if (complete())
        m_note.remove();
    else
        saveProgressNow();
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
    if (!errorText().isEmpty() || !claimParts())
        return;
    sendProbe(Probe::Start, "head", 0);
}

void MediaFileRequest::sendProbe(Probe kind, const QByteArray& method, int hops, int attempt)
{
    if (complete() || !errorText().isEmpty() || m_cancelled)
        return;
    m_redirects = qMax(m_redirects, hops);
    QNetworkRequest request(m_url);
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    for (const auto& header : streamHeaders()) {
        if (HttpSemantics::isSafeHeader(header.first, header.second)
            && header.first.compare("User-Agent", Qt::CaseInsensitive) != 0)
            request.setRawHeader(header.first, header.second);
    }
    // The length must be that of the file itself, not of a compressed transfer.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = method == "head" ? m_manager->head(request) : m_manager->get(request);
    // The manager is shared by the thread: a probe must not outlive its request.
    reply->setParent(this);
    reply->setProperty(kMethodProperty, QString::fromLatin1(method));
    reply->setProperty(kHopsProperty, hops);
    reply->setProperty(kProbeOnlyProperty, kind == Probe::ContentLength);
    reply->setProperty(kAttemptProperty, attempt);
    if (kind == Probe::ContentLength) {
        connect(
            reply, &QNetworkReply::finished, this, &MediaFileRequest::onProbeContentLengthFinished);
    } else {
        connect(reply, &QNetworkReply::finished, this, &MediaFileRequest::onHeadReplyFinished);
    }
    if (method == "get") {
        // A probe never holds more of a body than a text answer may show.
        reply->setReadBufferSize(2 * textAnswerLimit());
        connect(reply, &QNetworkReply::metaDataChanged, this, &MediaFileRequest::onGetAltReadyRead);
        connect(reply, &QNetworkReply::readyRead, this, &MediaFileRequest::onGetAltReadyRead);
    }
    // A server that accepts the connection and never answers must not hold the download.
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, reply] { onProbeTimedOut(reply); });
    timer->start(TransferTimings::probeTimeoutMs());
}

void MediaFileRequest::onProbeTimedOut(QNetworkReply* reply)
{
    const Probe kind
        = reply->property(kProbeOnlyProperty).toBool() ? Probe::ContentLength : Probe::Start;
    const QByteArray method = reply->property(kMethodProperty).toString().toLatin1();
    const int hops = reply->property(kHopsProperty).toInt();
    const int attempt = reply->property(kAttemptProperty).toInt();
    const QString host = reply->url().host();
    releaseReply(reply);
    if (attempt >= maxProbeAttempts()) {
        reportError(tr("Download failed: %1")
                        .arg(tr("%1 did not answer (%2 attempts of %3 seconds)")
                                 .arg(host)
                                 .arg(attempt)
                                 .arg(TransferTimings::probeTimeoutMs() / 1000.0)));
        return;
    }
    QTimer::singleShot(TransferTimings::retryDelayMs(attempt), this,
        [this, kind, method, hops, attempt] { sendProbe(kind, method, hops, attempt + 1); });
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
    // A text answer may carry the real address in its body: that needs its beginning.
    const bool text = reply->rawHeader("Content-Type").contains("text");
    if (text && (status.toInt() == 200 || status.toInt() == 206)
        && reply->bytesAvailable() < textAnswerLimit())
        return;
    // The headers (and the start of a text) are all a probe needs; the rest is the parts'.
    reply->disconnect(this);
    handleProbeReply(reply, reply->property(kProbeOnlyProperty).toBool());
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

    if (HttpSemantics::isRedirect(m_lastStatus)) {
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
            if (handleTextAnswer(reply, probeOnly, hops))
                return;
        }
        takeContentLength(reply);
        if (probeOnly) {
            emit gotContentLength();
            return;
        }
        if (m_planned)
            return;
        m_remote = RemoteFileIdentity::of(reply);
        m_remote.length = m_contentLength > 0 ? m_contentLength : -1;
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

bool MediaFileRequest::handleTextAnswer(QNetworkReply* reply, bool probeOnly, int hops)
{
    // Only the beginning is read: a text file may be a gigabyte.
    const QByteArray start = reply->peek(textAnswerLimit());
    const bool whole = reply->isFinished() && reply->bytesAvailable() <= textAnswerLimit();
    const QByteArray address = start.trimmed();
    if (whole && address.startsWith("http")) {
        const QUrl next(QString::fromUtf8(address));
        if (WebAddress::isValid(next)) {
            m_url = next;
            sendProbe(probeOnly ? Probe::ContentLength : Probe::Start, "head", hops + 1);
            return true;
        }
    }
    const bool page = reply->rawHeader("Content-Type").toLower().contains("html");
    if (page || whole) {
        reportError(QStringLiteral("MediaFileRequest::headReplyFinished(): Response was text, but "
                                   "didn't contain a URL:")
            + printableStart(start));
        return true;
    }
    // A long text that is no page: the file itself.
    return false;
}

void MediaFileRequest::takeContentLength(QNetworkReply* reply)
{
    // A ranged answer states the whole length after the slash of its Content-Range.
    const auto range = HttpSemantics::ContentRange::parse(reply->rawHeader("Content-Range"));
    if (m_lastStatus == 206 && range.total >= 0) {
        m_contentLength = range.total;
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
    m_identity = "length=" + QByteArray::number(m_contentLength)
        + "\nparts=" + QByteArray::number(m_wholeFile ? 0 : m_partCount)
        + "\nvalidator=" + m_remote.validatorText() + '\n';
    m_note.setPath(tempFilePath(m_baseName + QStringLiteral(".resume")));
    if (!m_note.load(m_identity)) {
        // Bytes of another length or version of the file would corrupt this one.
        removeDataFiles();
    } else if (finishEarlierJoin()) {
        return;
    }
    if (!m_wholeFile) {
        if (!QFile::exists(dataFilePath()))
            m_note.clear();
        if (!openDataFile())
            return;
        trustNoMoreThanOnDisk();
    }
    m_note.save(m_identity);
    startParts();
}

bool MediaFileRequest::openDataFile()
{
    const QString path = dataFilePath();
    if (path.isEmpty()) {
        reportError(tr("Download failed: %1").arg(tr("invalid file name")));
        return false;
    }
    // A link under our name is not our file.
    if (QFileInfo(path).isSymLink()) {
        QFile::remove(path);
        m_note.clear();
    }
    QString reason;
    if (!SafeFile::openForWriting(m_dataFile, path, true, &reason)) {
        reportError(tr("Download failed: %1").arg(reason));
        return false;
    }
    return true;
}

void MediaFileRequest::trustNoMoreThanOnDisk()
{
    // The note may claim bytes that never reached the disk (a crash, a file cut short by
    // hand): such bytes are fetched again rather than left as zeros in the result.
    const qint64 size = m_dataFile.size();
    for (int part = 1; part <= m_partCount; ++part) {
        const qint64 onDisk = qMax<qint64>(0, size - rangeStartOf(part));
        if (m_note.progress(part) > onDisk)
            m_note.setProgress(part, onDisk);
    }
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
        || QFileInfo(target).isSymLink() || (m_wholeFile && m_note.progress(1) != m_contentLength))
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

qint64 MediaFileRequest::rangeStartOf(int partNumber) const
{
    return m_partSize * (partNumber - 1);
}

void MediaFileRequest::removeDataFiles()
{
    m_dataFile.close();
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

QString MediaFileRequest::dataFileGoneText() const
{
    return tr("Download failed: %1")
        .arg(tr("%1 was removed or replaced during the download").arg(dataFilePath()));
}

bool MediaFileRequest::takeProgress()
{
    if (m_dataFile.isOpen() && !SafeFile::isStillOnDisk(m_dataFile, dataFilePath()))
        return false;
    for (const MediaPartFileRequest* part : std::as_const(m_parts))
        m_note.setProgress(part->partNumber(), part->bytesOnDisk());
    return true;
}

void MediaFileRequest::saveProgress()
{
    if (!m_planned || complete() || !errorText().isEmpty() || m_syncWatcher.isRunning())
        return;
    if (!takeProgress()) {
        onError(dataFileGoneText());
        return;
    }
    // The bytes the note is about to claim reach the disk first.
    m_noteBeingSynced = m_note;
    m_syncWatcher.setFuture(SafeFile::syncDataInBackground(m_dataFile));
}

void MediaFileRequest::onProgressSynced()
{
    if (!m_planned || complete() || !errorText().isEmpty() || m_cancelled)
        return;
    const QString reason = m_syncWatcher.result();
    if (!reason.isEmpty()) {
        onError(tr("Download failed: %1").arg(reason));
        return;
    }
    m_noteBeingSynced.save(m_identity);
}

void MediaFileRequest::saveProgressNow()
{
    if (!m_planned || complete() || m_cancelled || !takeProgress())
        return;
    if (SafeFile::syncData(m_dataFile, nullptr))
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
            rangeStart = rangeStartOf(part);
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
        request->setStreamHeaders(streamHeaders());
        request->setRemoteIdentity(m_remote);
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
        connect(request, &MediaPartFileRequest::remoteFileChanged, this,
            &MediaFileRequest::onRemoteFileChanged);
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
    const QString target = joinTarget();
    if (!m_wholeFile) {
        // Every byte must be in the file that is about to become the result. The note is not
        // saved again: it would claim bytes not yet synced, and a later run recognises the
        // renamed result by its length anyway.
        if (!SafeFile::isStillOnDisk(m_dataFile, dataFilePath())
            || m_dataFile.size() != m_contentLength) {
            reportError(dataFileGoneText());
            emit finished();
            return;
        }
        m_dataFile.close();
        // The ranges are in place already: the joined file is the first part's file, renamed.
        QFile::remove(target);
        if (!QFile::rename(fileName, target)) {
            reportError(tr("Could not join file parts"));
            emit finished();
            return;
        }
    } else {
        m_note.save(m_identity);
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

void MediaFileRequest::onRemoteFileChanged()
{
    if (m_restarts >= maxRestarts()) {
        onError(tr("Download failed: %1")
                    .arg(tr("the file keeps changing on the server; try again later")));
        return;
    }
    ++m_restarts;
    startOver();
}

void MediaFileRequest::startOver()
{
    // Bytes of the earlier version must not end up beside the new ones.
    m_noteTimer.stop();
    stopParts();
    removeDataFiles();
    m_note.remove();
    m_note.clear();
    m_finishedParts.clear();
    m_bytesReceived = 0;
    m_planned = false;
    m_nextPart = 0;
    emit progressUpdate();
    sendProbe(Probe::Start, "head", 0);
}

void MediaFileRequest::onError(QString reason)
{
    if (errorText().isEmpty())
        saveProgressNow();
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
    releaseParts();
}

void MediaFileRequest::onPause(bool paused)
{
    m_paused = paused;
    emit pause(paused);
    if (paused)
        saveProgressNow();
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
    // The probe's time-out goes with it.
    for (QTimer* timer : reply->findChildren<QTimer*>())
        timer->stop();
    reply->abort();
    reply->deleteLater();
}

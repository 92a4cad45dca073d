#include "MediaPartFileRequest.h"

#include "RunningParts.h"
#include "TransferTimings.h"
#include "app/Prefs.h"
#include "app/WebAddress.h"
#include "net/NetworkAccess.h"
#include "net/TlsTrust.h"

#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// What the network layer may hold for a part before the part has read it. Bounded, so that
// memory stays small however fast the network is; measured on loopback, 512 KiB keeps pace
// with curl while smaller buffers cost more thread hand-overs and larger ones more page faults.
constexpr qint64 kReadBufferSize = 512 * 1024;
// While throttled a part takes at most this much per read, which makes the spacing of the
// reads an actual rate limit instead of letting the network layer buffer without bound.
constexpr qint64 kThrottledReadBufferSize = 256 * 1024;

bool isRetriedError(QNetworkReply::NetworkError code)
{
    switch (code) {
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

// A client error is not cured by asking again, except "Request Timeout" and "Too Many
// Requests".
bool isRetriedStatus(int status)
{
    return status >= 500 || status == 408 || status == 429;
}

// Headers that the engine sets itself and a stream's headers must not replace.
bool isEngineHeader(const QByteArray& name)
{
    static const QList<QByteArray> own { "user-agent", "range", "if-range", "accept-encoding",
        "host", "connection", "content-length", "transfer-encoding", "cookie" };
    return own.contains(name.toLower());
}

} // namespace

MediaPartFileRequest::MediaPartFileRequest(QObject* parent)
    : QObject(parent)
{ }

MediaPartFileRequest::~MediaPartFileRequest()
{
    dropReply();
    closePartFile();
    releaseSlot();
}

QByteArray MediaPartFileRequest::userAgent()
{
    return QByteArrayLiteral("Mozilla/5.0 (Macintosh; Intel Mac OS X 10_10) gzip");
}

void MediaPartFileRequest::setup(const QUrl& url, int partNumber, const QString& filePath,
    const QList<QNetworkCookie>& cookies, bool paused, qint64 rangeStart, qint64 rangeEnd)
{
    if (!m_holdsSlot) {
        RunningParts::instance()->acquire();
        m_holdsSlot = true;
    }
    m_paused = paused;
    m_connectedSent = false;
    m_cancelled = false;
    m_readPending = false;
    m_url = url;
    if (m_originalUrl.isEmpty())
        m_originalUrl = url;
    m_filePath = filePath;
    m_partNumber = partNumber;
    ++m_attempts;
    m_cookies = cookies;
    // A range that ends at byte 0 is a real one-byte range.
    m_hasRange = rangeStart >= 0 && rangeEnd >= rangeStart;
    m_rangeStart = m_hasRange ? rangeStart : -1;
    m_rangeEnd = m_hasRange ? rangeEnd : -1;
    m_writer.useOwnFile(filePath, m_hasRange ? rangeLength() : -1);
    m_limit = Prefs::doLimitBandwidth();

    if (!m_watchdog) {
        m_watchdog = new QTimer(this);
        m_watchdog->setSingleShot(true);
        connect(m_watchdog, &QTimer::timeout, this, &MediaPartFileRequest::onTimeout);
    }
    m_watchdog->setInterval(TransferTimings::watchdogMs());
}

void MediaPartFileRequest::setNetworkManager(QNetworkAccessManager* manager)
{
    m_manager = manager;
}

void MediaPartFileRequest::writeIntoSharedFile(qint64 bytesDone)
{
    if (m_hasRange) {
        m_writer.useSharedFile(m_filePath, m_rangeStart, bytesDone, rangeLength());
        m_bestBytes = bytesDone;
    }
}

void MediaPartFileRequest::setStreamHeaders(const HttpSemantics::HeaderList& headers)
{
    m_streamHeaders.clear();
    for (const auto& header : headers) {
        if (!isEngineHeader(header.first)
            && HttpSemantics::isSafeHeader(header.first, header.second))
            m_streamHeaders.append(header);
    }
}

void MediaPartFileRequest::setRemoteIdentity(const RemoteFileIdentity& identity)
{
    m_identity = identity;
}

void MediaPartFileRequest::get()
{
    m_started = true;
    if (m_paused || m_cancelled || m_finished || m_failed || m_reply)
        return;
    if (!openPartFile())
        return;
    m_bestBytes = qMax(m_bestBytes, bytesOnDisk());
    m_bestBytesAtAttempt = m_bestBytes;
    if (m_hasRange && bytesOnDisk() == rangeLength()) {
        // Everything is on disk already (an earlier run got this far).
        reportBytesOnDisk();
        QMetaObject::invokeMethod(this, &MediaPartFileRequest::complete, Qt::QueuedConnection);
        return;
    }
    reportBytesOnDisk();

    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute, true);
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    for (const auto& header : std::as_const(m_streamHeaders))
        request.setRawHeader(header.first, header.second);
    request.setRawHeader("User-Agent", userAgent());
    // Ranges count bytes of the file as stored; a compressed transfer would shift them.
    request.setRawHeader("Accept-Encoding", "identity");
    m_sentRange = m_hasRange || bytesOnDisk() > 0;
    m_requestOffset = (m_hasRange ? m_rangeStart : 0) + bytesOnDisk();
    if (m_hasRange) {
        request.setRawHeader("Range",
            "bytes=" + QByteArray::number(m_requestOffset) + '-' + QByteArray::number(m_rangeEnd));
    } else if (m_sentRange) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_requestOffset) + '-');
    }
    // Another version of the file on the server then answers whole (200), never with a
    // range of new bytes to put beside the old ones.
    if (m_sentRange && !m_identity.ifRangeValue().isEmpty())
        request.setRawHeader("If-Range", m_identity.ifRangeValue());

    if (!m_manager)
        m_manager = NetworkAccess::transfers();
    if (!m_cookies.isEmpty() && m_manager->cookieJar())
        m_manager->cookieJar()->setCookiesFromUrl(m_cookies, m_url);

    m_response = Response::Unchecked;
    m_bodyBytes = 0;
    m_lastStatus = 0;
    m_reply = m_manager->get(request);
    applyReadBufferSize();
    connect(m_reply, &QNetworkReply::finished, this, &MediaPartFileRequest::onFinished);
    connect(
        m_reply, &QNetworkReply::metaDataChanged, this, &MediaPartFileRequest::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &MediaPartFileRequest::scheduleRead);

    restartWatchdog();
}

bool MediaPartFileRequest::openPartFile()
{
    if (!m_writer.open()) {
        fail(tr("Download failed: %1").arg(m_writer.errorString()));
        return false;
    }
    return true;
}

void MediaPartFileRequest::reportBytesOnDisk()
{
    const qint64 onDisk = bytesOnDisk();
    if (onDisk > m_bytesReported)
        emit bytesRecieved(qulonglong(onDisk - m_bytesReported));
    else if (onDisk < m_bytesReported)
        emit bytesDiscarded(qulonglong(m_bytesReported - onDisk));
    m_bytesReported = onDisk;
}

void MediaPartFileRequest::checkResponse()
{
    if (!m_reply || m_response != Response::Unchecked)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    m_lastStatus = status.toInt();
    const RemoteFileIdentity answer = RemoteFileIdentity::of(m_reply);
    if (m_lastStatus == 206) {
        const auto range = HttpSemantics::ContentRange::parse(m_reply->rawHeader("Content-Range"));
        if (!m_identity.matches(answer))
            m_response = Response::Changed;
        else
            m_response = range.first == m_requestOffset ? Response::Accepted : Response::WrongRange;
    } else if (m_lastStatus == 200) {
        if (!m_sentRange) {
            m_response = Response::Accepted;
        } else if (!m_identity.matches(answer)) {
            // The whole file in answer to "If-Range": the server has another version.
            m_response = Response::Changed;
        } else if (m_hasRange) {
            m_response = Response::RangesIgnored;
        } else {
            // A whole file whose server cannot resume: start it again from its first byte.
            m_writer.restart();
            reportBytesOnDisk();
            m_requestOffset = 0;
            m_response = Response::Accepted;
        }
    } else {
        m_response = Response::Rejected;
    }
}

void MediaPartFileRequest::onMetaDataChanged()
{
    if (!m_reply)
        return;
    checkResponse();
    // Answers that carry no part data are settled on their headers; their bodies are never
    // read. Settled from the event loop: the reply may not be ended inside its own signal.
    if (m_response == Response::Rejected || m_response == Response::Changed
        || m_response == Response::WrongRange || m_response == Response::RangesIgnored)
        QMetaObject::invokeMethod(this, &MediaPartFileRequest::read, Qt::QueuedConnection);
}

void MediaPartFileRequest::scheduleRead()
{
    if (!m_limit) {
        read();
        return;
    }
    if (m_reply && (m_reply->isRunning() || m_reply->bytesAvailable() > 0) && !m_readPending) {
        m_readPending = true;
        QTimer::singleShot(
            TransferTimings::throttleIntervalMs(), this, &MediaPartFileRequest::read);
    }
}

void MediaPartFileRequest::readDispatch(bool limit)
{
    m_limit = limit;
    applyReadBufferSize();
    m_readPending = false;
    scheduleRead();
}

void MediaPartFileRequest::applyReadBufferSize()
{
    if (!m_reply)
        return;
    if (m_response == Response::Rejected)
        m_reply->setReadBufferSize(errorBodyLimit());
    else
        m_reply->setReadBufferSize(m_limit ? kThrottledReadBufferSize : kReadBufferSize);
}

void MediaPartFileRequest::read()
{
    m_readPending = false;
    if (!m_reply)
        return;
    checkResponse();
    switch (m_response) {
    case Response::Unchecked:
        return;
    case Response::Rejected:
        handleRejectedReply(m_reply);
        return;
    case Response::WrongRange:
        retryAfterError(tr("the server sent a different byte range"));
        return;
    case Response::Changed:
        handleChangedFile();
        return;
    case Response::RangesIgnored: {
        dropReply();
        closePartFile();
        const int part = m_partNumber;
        emit rangesIgnored(part);
        return;
    }
    case Response::Accepted:
        break;
    }
    const QByteArray data = m_reply->readAll();
    if (data.isEmpty())
        return;
    if (!writeBody(data))
        return;
    if (!m_connectedSent) {
        m_connectedSent = true;
        emit connected();
    }
}

bool MediaPartFileRequest::writeBody(const QByteArray& data)
{
    m_bodyBytes += data.size();
    // Bytes beyond the range are not part of it, whatever the server sends.
    qint64 length = 0;
    const bool written = m_writer.write(data.constData(), data.size(), &length);
    if (length > 0) {
        m_bytesReported += length;
        m_bestBytes = qMax(m_bestBytes, bytesOnDisk());
        m_bytesSinceWatchdog += length;
        // Only a real flow of data keeps the connection alive; a trickle is a stall.
        if (m_bytesSinceWatchdog >= TransferTimings::stallBytes())
            restartWatchdog();
        emit bytesRecieved(qulonglong(length));
    }
    if (!written) {
        fail(tr("Download failed: %1").arg(m_writer.errorString()));
        return false;
    }
    return true;
}

void MediaPartFileRequest::restartWatchdog()
{
    m_bytesSinceWatchdog = 0;
    m_watchdog->start();
}

void MediaPartFileRequest::onFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply)
        return;
    m_watchdog->stop();
    if (m_paused || m_finished || m_cancelled) {
        dropReply();
        return;
    }
    handleFinishedReply(reply);
}

void MediaPartFileRequest::handleFinishedReply(QNetworkReply* reply)
{
    checkResponse();
    if (m_response != Response::Unchecked) {
        read();
        if (m_reply != reply)
            return; // read() retried, failed or handed the part back to its owner
    }
    const QNetworkReply::NetworkError code = reply->error();
    if (code == QNetworkReply::OperationCanceledError) {
        dropReply();
        return;
    }
    if (code != QNetworkReply::NoError) {
        if (isRetriedError(code))
            retryAfterError(reply->errorString());
        else
            fail(tr("Download failed: %1").arg(TlsTrust::errorText(reply)));
        return;
    }
    if (m_response != Response::Accepted) {
        fail(tr("Download failed: %1").arg(tr("unexpected HTTP status %1").arg(m_lastStatus)));
        return;
    }
    const qint64 expected = expectedBodyLength(reply);
    if (expected >= 0 && m_bodyBytes < expected) {
        retryAfterError(tr("received %1 of %2 bytes").arg(m_bodyBytes).arg(expected));
        return;
    }
    complete();
}

void MediaPartFileRequest::handleRejectedReply(QNetworkReply* reply)
{
    if (HttpSemantics::isRedirect(m_lastStatus) && followRedirect(reply))
        return;
    if (m_lastStatus == 416 && isCompleteAfterRangeNotSatisfiable(reply)) {
        complete();
        return;
    }
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QString text
        = QStringLiteral("Error transferring %1 - server replied: %2")
              .arg(m_url.toString(), reason.isEmpty() ? QString::number(m_lastStatus) : reason);
    if (m_lastStatus == 416) {
        // The file on the server is shorter than what a resumed part holds: start it afresh.
        m_writer.restart();
        reportBytesOnDisk();
        retryAfterError(text);
    } else if (isRetriedStatus(m_lastStatus) || HttpSemantics::isRedirect(m_lastStatus)) {
        retryAfterError(text);
    } else {
        fail(tr("Download failed: %1").arg(text));
    }
}

void MediaPartFileRequest::handleChangedFile()
{
    m_watchdog->stop();
    dropReply();
    closePartFile();
    const int part = m_partNumber;
    emit remoteFileChanged(part);
}

bool MediaPartFileRequest::followRedirect(QNetworkReply* reply)
{
    QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty())
        return false;
    target = reply->url().resolved(target);
    if (target == m_url)
        return false;
    if (m_redirects >= maxRedirects()) {
        fail(tr("Download failed: %1").arg(tr("too many redirects")));
        return true;
    }
    if (!WebAddress::isValid(target)) {
        fail(tr("Download failed: %1").arg(tr("redirected to %1").arg(target.toString())));
        return true;
    }
    m_url = target;
    ++m_redirects;
    dropReply();
    get();
    return true;
}

bool MediaPartFileRequest::isCompleteAfterRangeNotSatisfiable(QNetworkReply* reply)
{
    // Only a whole file can be complete when nothing is left to send: its length is then
    // exactly what is on disk.
    if (m_hasRange || !m_sentRange)
        return false;
    const auto range = HttpSemantics::ContentRange::parse(reply->rawHeader("Content-Range"));
    return range.total >= 0 && range.total == bytesOnDisk();
}

qint64 MediaPartFileRequest::expectedBodyLength(QNetworkReply* reply) const
{
    if (m_hasRange) {
        // What the range still needed when this reply started.
        return m_rangeEnd - m_requestOffset + 1;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}

bool MediaPartFileRequest::madeProgress() const
{
    return m_bestBytes - m_bestBytesAtAttempt >= TransferTimings::stallBytes();
}

void MediaPartFileRequest::retryAfterError(const QString& reason)
{
    m_watchdog->stop();
    dropReply();
    if (madeProgress()) {
        m_failuresInRow = 0;
    } else {
        ++m_failedAttempts;
        ++m_failuresInRow;
    }
    // Only attempts in a row count: a link that drops now and then may also answer a
    // reconnect with a closed connection (a keep-alive connection the server was closing),
    // which is no reason to give up a part that has been making progress.
    if (m_failuresInRow >= maxErrorAttempts()) {
        fail(tr("Download failed after %1 part attempts: %2").arg(maxErrorAttempts()).arg(reason));
        return;
    }
    reconnect();
}

void MediaPartFileRequest::reconnect()
{
    m_url = m_originalUrl;
    m_redirects = 0;
    ++m_attempts;
    // The bytes on disk stay: the next request asks only for what is missing. Retries in a
    // row wait longer each time; one after progress waits the least.
    const int delay = TransferTimings::retryDelayMs(qMax(1, m_failuresInRow));
    if (delay > 0)
        QTimer::singleShot(delay, this, &MediaPartFileRequest::get);
    else
        get();
}

void MediaPartFileRequest::onTimeout()
{
    retryAfterError(tr("no data from %1 for %2 seconds")
                        .arg(m_url.host())
                        .arg(TransferTimings::watchdogMs() / 1000.0));
}

QString MediaPartFileRequest::fileGoneText() const
{
    return tr("Download failed: %1")
        .arg(tr("%1 was removed or replaced during the download").arg(m_filePath));
}

void MediaPartFileRequest::complete()
{
    if (m_finished || m_failed || m_cancelled)
        return;
    dropReply();
    // Bytes written into a file that is no longer on disk are lost: never a success.
    if (m_writer.isOpen() && !m_writer.isStillOnDisk()) {
        fail(fileGoneText());
        return;
    }
    closePartFile();
    m_finished = true;
    releaseSlot();
    const int part = m_partNumber;
    const QString path = m_filePath;
    emit finished(part, path);
    emit done();
}

void MediaPartFileRequest::fail(const QString& text)
{
    if (m_failed || m_finished)
        return;
    m_failed = true;
    m_errorText = text;
    if (m_watchdog)
        m_watchdog->stop();
    dropReply();
    closePartFile();
    releaseSlot();
    emit error(text);
}

void MediaPartFileRequest::onPause(bool paused)
{
    m_paused = paused;
    if (paused) {
        if (!m_reply)
            return;
        m_watchdog->stop();
        m_readPending = false;
        // Keep what already arrived: it is part of the range.
        if (m_response == Response::Accepted || m_response == Response::Unchecked) {
            checkResponse();
            if (m_response == Response::Accepted)
                writeBody(m_reply->readAll());
        }
        dropReply();
        closePartFile();
        return;
    }
    if (m_started && !m_reply)
        get();
}

void MediaPartFileRequest::onCancel()
{
    m_cancelled = true;
    if (m_watchdog)
        m_watchdog->stop();
    dropReply();
    closePartFile();
    releaseSlot();
}

void MediaPartFileRequest::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void MediaPartFileRequest::closePartFile()
{
    m_writer.close();
}

void MediaPartFileRequest::releaseSlot()
{
    if (!m_holdsSlot)
        return;
    m_holdsSlot = false;
    RunningParts::instance()->release();
}

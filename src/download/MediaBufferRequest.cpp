#include "MediaBufferRequest.h"

#include "app/MediaDescriptor.h"
#include "app/PlainName.h"
#include "app/WebAddress.h"
#include "net/NetworkAccess.h"
#include "net/TlsTrust.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// A stream that stops sending for this long has failed.
constexpr int stallTimeoutMs = 30000;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QNetworkRequest requestFor(const QUrl& address)
{
    QNetworkRequest request(address);
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(stallTimeoutMs);
    return request;
}

} // namespace

MediaBufferRequest::MediaBufferRequest(const QUrl& address, const QString& name, int format,
    const QString& bufferDirectory, QObject* parent)
    : QObject(parent)
    , m_manager(NetworkAccess::transfers())
    , m_address(address)
    , m_name(name)
    , m_format(format)
    , m_bufferDirectory(bufferDirectory)
{ }

MediaBufferRequest::~MediaBufferRequest()
{
    m_cancelled = true;
    // The reply belongs to the thread's shared manager: it must not call back into us.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void MediaBufferRequest::start()
{
    if (!WebAddress::isValid(m_address)) {
        report(tr("Unsupported address %1").arg(m_address.toDisplayString()));
        return;
    }
    sendHead();
}

void MediaBufferRequest::sendHead()
{
    m_reply = m_manager->head(requestFor(m_address));
    connect(m_reply, &QNetworkReply::finished, this, &MediaBufferRequest::headReplyFinished);
}

void MediaBufferRequest::report(const QString& text)
{
    setErrorText(text);
    emit error(text);
}

void MediaBufferRequest::releaseReply()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

void MediaBufferRequest::headReplyFinished()
{
    QNetworkReply* reply = m_reply;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    m_lastStatus = status.toInt();
    const QByteArray location = reply->rawHeader("Location");
    const QByteArray length = reply->rawHeader("Content-Length");
    const QByteArray ranges = reply->rawHeader("Accept-Ranges");
    const QString networkError = TlsTrust::errorText(reply);
    releaseReply();
    if (m_cancelled)
        return;

    if (!status.isValid()) {
        report(networkError);
        return;
    }
    if (isRedirect(m_lastStatus)) {
        const QUrl target = m_address.resolved(QUrl::fromEncoded(location));
        if (++m_redirects > maximumRedirects || !WebAddress::isValid(target)) {
            report(tr("Redirected too often or to an unsupported address: %1")
                       .arg(target.toDisplayString()));
            return;
        }
        m_address = target;
        sendHead();
        return;
    }
    if (m_lastStatus != 200 && m_lastStatus != 206) {
        report(QStringLiteral("Remote media file not found, got HTTP status")
            + QString::number(m_lastStatus));
        return;
    }
    bool known = false;
    const qint64 contentLength = length.toLongLong(&known);
    m_contentLength = known && contentLength >= 0 ? contentLength : -1;
    m_rangesAccepted = m_lastStatus == 206 && ranges.trimmed() == "bytes";
    startDownload();
}

void MediaBufferRequest::startDownload()
{
    if (!PlainName::isValid(m_name)) {
        report(tr("Unable to save the file %1: %2.").arg(m_name, tr("not a plain file name")));
        return;
    }
    QDir().mkpath(m_bufferDirectory);
    const QString path
        = QDir(m_bufferDirectory)
              .filePath(m_name + QLatin1Char('.') + MediaDescriptor::formatExtension(m_format));
    // A fresh file: an old buffer, or a link planted under its name, is removed, not followed.
    QFile::remove(path);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        report(tr("Unable to save the file %1: %2.").arg(path, m_file.errorString()));
        return;
    }

    m_cancelled = false;
    QNetworkRequest request = requestFor(m_address);
    if (m_rangesAccepted) {
        QByteArray range = "bytes=0-";
        if (m_contentLength > 0)
            range += QByteArray::number(m_contentLength - 1);
        request.setRawHeader("Range", range);
    }
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &MediaBufferRequest::downloadFinished);
    connect(m_reply, &QNetworkReply::readyRead, this, &MediaBufferRequest::replyChunkReady);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &MediaBufferRequest::downloadProgress);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &MediaBufferRequest::replyError);
}

void MediaBufferRequest::replyChunkReady()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An error page is no part of the media.
    if (status != 200 && status != 206)
        return;
    const QByteArray data = m_reply->readAll();
    if (m_file.write(data) != data.size()) {
        report(tr("Unable to save the file %1: %2.").arg(m_file.fileName(), m_file.errorString()));
        cancelDownload();
        return;
    }
    if (!m_connectedSent) {
        m_connectedSent = true;
        emit connected();
    }
}

void MediaBufferRequest::downloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    Q_UNUSED(bytesTotal)
    m_bytesReceived = bytesReceived;
    if (!m_bufferReadySent && bytesReceived > bufferBytes) {
        m_bufferReadySent = true;
        emit bufferReady();
    }
    // Without a known length there is no share to report.
    if (m_contentLength <= 0)
        return;
    m_progress = float(bytesReceived) / float(m_contentLength) * 1000.0f;
    emit progressUpdateSignal(int(m_progress));
}

void MediaBufferRequest::downloadFinished()
{
    if (m_reply && !m_cancelled && m_reply->error() == QNetworkReply::NoError)
        replyChunkReady();
    m_file.close();
    if (!m_reply)
        return;
    const QNetworkReply::NetworkError failure = m_reply->error();
    const QString failureText = TlsTrust::errorText(m_reply);
    releaseReply();
    if (m_cancelled)
        return;
    if (failure != QNetworkReply::NoError) {
        report(tr("Download failed: %1").arg(failureText));
        return;
    }
    emit finished(&m_file);
}

void MediaBufferRequest::replyError()
{
    if (!m_cancelled && m_reply)
        report(TlsTrust::errorText(m_reply));
}

void MediaBufferRequest::cancelDownload()
{
    m_cancelled = true;
    if (m_reply)
        m_reply->abort();
}

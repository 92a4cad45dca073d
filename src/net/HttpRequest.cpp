#include "HttpRequest.h"

#include "HttpSemantics.h"
#include "ReplySizeLimit.h"
#include "ResponseMemoryCache.h"
#include "TlsTrust.h"

#include <QAtomicInt>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QUrlQuery>

namespace {

QAtomicInt s_defaultTimeoutMs(HttpRequest::kDefaultTimeoutMs);

const QByteArray kUserAgent = QByteArrayLiteral("Kestrofan II (gzip)");

// A relative target is resolved against the address that answered, keeping its port and
// the target's query.
QUrl redirectTargetOf(QNetworkReply* reply)
{
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty() || !target.host().isEmpty())
        return target;
    return reply->url().resolved(target);
}

QString tooManyRedirectsText(const QUrl& target)
{
    return HttpRequest::tr("Too many redirects; the last one led to %1").arg(target.toString());
}

// The shared manager has a disk cache; requests that may not use it neither read nor fill it.
void applyCachePolicy(QNetworkRequest& request, bool useCache)
{
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
        useCache ? QNetworkRequest::PreferCache : QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, useCache);
}

} // namespace

HttpRequest::HttpRequest(QObject* parent)
    : HttpRequestBase(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HttpRequest::onTimeOut);
}

HttpRequest::HttpRequest(int authMethod, const QString& token, QObject* parent)
    : HttpRequest(parent)
{
    m_authMethod = authMethod;
    m_token = token;
    m_contentLength = 0;
}

HttpRequest::~HttpRequest()
{
    // Replies belong to the thread's shared manager: one still running must not outlive us.
    if (m_currentReply) {
        QNetworkReply* reply = m_currentReply;
        m_currentReply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void HttpRequest::setDefaultTimeoutMs(int ms)
{
    s_defaultTimeoutMs.storeRelaxed(ms > 0 ? ms : kDefaultTimeoutMs);
}

int HttpRequest::defaultTimeoutMs()
{
    return s_defaultTimeoutMs.loadRelaxed();
}

QString HttpRequest::responseHeader(const QString& name) const
{
    const auto exact = m_responseHeaders.constFind(name);
    if (exact != m_responseHeaders.constEnd())
        return exact.value();
    // Header names are case-insensitive on the wire (and lower-case over HTTP/2).
    for (auto it = m_responseHeaders.cbegin(); it != m_responseHeaders.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    return QString();
}

void HttpRequest::startCall()
{
    clearError();
    m_redirectsInCall = 0;
}

bool HttpRequest::get(const QString& address, bool synchronous)
{
    m_startAddress = QUrl(address);
    m_synchronous = synchronous;
    startCall();
    if (useCache()) {
        ResponseMemoryCache::Entry entry;
        if (ResponseMemoryCache::lookup(m_startAddress.toString(), &entry)) {
            m_requestAddress = m_startAddress;
            m_status = entry.status;
            m_body = entry.body.toUtf8();
            emit done(entry.body);
            return true;
        }
    }
    return sendGet(m_startAddress);
}

bool HttpRequest::get(const QString& address, const QHash<QString, QString>& cookies)
{
    m_requestCookies = cookies;
    return get(address, true);
}

std::optional<QNetworkRequest> HttpRequest::openRequest(const QUrl& address)
{
    m_timedOut = false;
    m_requestAddress = address;
    if (rejectUnusableAddress(address))
        return std::nullopt;
    QNetworkRequest request(address);
    // Redirects are followed by hand, so that each hop is checked and counted.
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return request;
}

bool HttpRequest::rejectUnusableAddress(const QUrl& address)
{
    m_body.clear();
    m_responseHeaders.clear();
    m_status = 0;
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || scheme.isEmpty() || address.host().isEmpty()) {
        setErrorCode(InvalidUrl);
        setErrorText(tr("The address is not valid: %1").arg(address.toString()));
    } else if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        // Other schemes would reach local files or other protocols: not for servers or plugins.
        setErrorCode(UnsupportedUrl);
        setErrorText(tr("The address is not supported: %1").arg(address.toString()));
    } else {
        return false;
    }
    return true;
}

bool HttpRequest::sendGet(const QUrl& address)
{
    const std::optional<QNetworkRequest> opened = openRequest(address);
    if (!opened) {
        emit done(QString());
        return false;
    }
    QNetworkRequest request = *opened;
    applyRequestCookies(address);
    applyCachePolicy(request, useCache());
    // Images are fetched with Qt's own user agent.
    if (!address.toString().toLower().endsWith(QLatin1String(".jpg")))
        request.setRawHeader("User-Agent", kUserAgent);
    request.setRawHeader("Accept", "*/*");
    request.setRawHeader("Cache-Control", "max-age=3600");
    if (m_authMethod == OAuth2 && !m_token.isEmpty())
        request.setRawHeader("Authorization", QStringLiteral("Bearer %1").arg(m_token).toUtf8());

    QNetworkReply* reply = manager()->get(request);
    ReplySizeLimit::apply(reply, m_maxBodyBytes);
    if (!m_synchronous) {
        watch(reply);
        connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
        return true;
    }
    waitFor(reply);
    replyFinished(reply);
    return finishedWithSuccess();
}

bool HttpRequest::finishedWithSuccess() const
{
    return m_status == 200 && errorText().isEmpty() && errorCode() == NoCode;
}

void HttpRequest::applyRequestCookies(const QUrl& address)
{
    if (m_requestCookies.isEmpty())
        return;
    QList<QNetworkCookie> cookies;
    for (auto it = m_requestCookies.cbegin(); it != m_requestCookies.cend(); ++it)
        cookies.append(QNetworkCookie(it.key().toUtf8(), it.value().toUtf8()));
    manager()->cookieJar()->setCookiesFromUrl(cookies, address);
}

void HttpRequest::watch(QNetworkReply* reply)
{
    m_currentReply = reply;
    connect(this, &HttpRequest::abort, reply, &QNetworkReply::abort);
    m_timer.start(timeoutMs());
}

void HttpRequest::waitFor(QNetworkReply* reply)
{
    watch(reply);
    if (reply->isFinished())
        return;
    connect(reply, &QNetworkReply::finished, &m_eventLoop, &QEventLoop::quit);
    m_eventLoop.exec();
}

void HttpRequest::replyFinished(QNetworkReply* reply)
{
    m_timer.stop();
    if (m_currentReply == reply)
        m_currentReply = nullptr;
    m_status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool isGet = reply->operation() == QNetworkAccessManager::GetOperation;

    if (!m_timedOut && isGet && m_status == 304 && redirectCount() <= 3) {
        reply->deleteLater();
        incrementRedirectCount();
        sendGet(m_startAddress);
        return;
    }
    if (!m_timedOut && followRedirect(reply))
        return;

    m_body.clear();
    // A redirect that was not followed (to the very same address) is judged by itself.
    const bool answered
        = (m_status >= 200 && m_status < 300) || HttpSemantics::isRedirect(m_status);
    if (!m_timedOut && reply->error() == QNetworkReply::NoError && answered) {
        takeResponse(reply);
        // Only GET answers belong to an address; a posted answer must not serve a later GET.
        if (isGet && errorText().isEmpty())
            ResponseMemoryCache::insert(
                reply->request().url().toString(), responseText(), m_status);
    } else {
        setErrorFrom(reply);
    }
    reply->deleteLater();
    emit done(responseText());
}

bool HttpRequest::followRedirect(QNetworkReply* reply)
{
    const bool isGet = reply->operation() == QNetworkAccessManager::GetOperation;
    const bool followed = isGet ? HttpSemantics::isRedirect(m_status)
                                : (m_status == 301 || m_status == 302 || m_status == 303);
    if (!followed)
        return false;
    const QUrl target = redirectTargetOf(reply);
    if (target.isEmpty() || target == m_requestAddress)
        return false;
    reply->deleteLater();
    if (++m_redirectsInCall > kMaxRedirects) {
        m_body.clear();
        m_responseHeaders.clear();
        setErrorCode(NoCode);
        setErrorText(tooManyRedirectsText(target));
        emit done(QString());
        return true;
    }
    sendGet(target);
    return true;
}

void HttpRequest::takeResponse(QNetworkReply* reply)
{
    m_body = reply->readAll();
    m_responseHeaders.clear();
    const auto pairs = reply->rawHeaderPairs();
    for (const auto& pair : pairs)
        m_responseHeaders.insert(QString::fromLatin1(pair.first), QString::fromLatin1(pair.second));
    // Qt may end a cut connection without an error: compare with the announced length.
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && !reply->hasRawHeader("Content-Encoding")
        && m_body.size() < announced.toLongLong()) {
        setErrorCode(NetworkError);
        setErrorText(tr("The connection closed after %1 of %2 bytes")
                         .arg(m_body.size())
                         .arg(announced.toLongLong()));
        m_body.clear();
    }
}

void HttpRequest::setErrorFrom(QNetworkReply* reply)
{
    if (m_timedOut) {
        setErrorCode(TimedOut);
        setErrorText(tr("Request timed out"));
        return;
    }
    if (ReplySizeLimit::exceeded(reply)) {
        setErrorCode(TooLarge);
        setErrorText(tr("The answer of %1 is larger than %2 bytes")
                         .arg(reply->url().toDisplayString())
                         .arg(m_maxBodyBytes));
        return;
    }
    setErrorCode(errorCodeFor(m_status, reply->error()));
    setErrorText(TlsTrust::errorText(reply));
}

bool HttpRequest::post(const QString& address, const QByteArray& body, const QString& contentType)
{
    startCall();
    m_synchronous = true;
    const std::optional<QNetworkRequest> opened = openRequest(QUrl(address));
    if (!opened) {
        emit done(QString());
        return false;
    }
    QNetworkRequest request = *opened;
    request.setRawHeader("User-Agent", kUserAgent);
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    QNetworkReply* reply = manager()->post(request, body);
    ReplySizeLimit::apply(reply, m_maxBodyBytes);
    waitFor(reply);
    replyFinished(reply);
    return finishedWithSuccess();
}

bool HttpRequest::post(const QString& address, const QHash<QString, QString>& fields)
{
    QUrlQuery query;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        query.addQueryItem(QString::fromLatin1(QUrl::toPercentEncoding(it.key())),
            QString::fromLatin1(QUrl::toPercentEncoding(it.value())));
    return post(address, query.toString(QUrl::FullyEncoded).toLatin1(),
        QStringLiteral("application/x-www-form-urlencoded"));
}

bool HttpRequest::postJson(const QString& address, const QString& json)
{
    return post(address, json.toUtf8(), QStringLiteral("application/json"));
}

void HttpRequest::head(QUrl& address, bool checkTextRedirect)
{
    clearError();
    for (;;) {
        m_headAddress = address;
        const std::optional<QNetworkRequest> opened = openRequest(address);
        if (!opened)
            return;
        QNetworkRequest request = *opened;
        applyCachePolicy(request, false);
        QNetworkReply* reply = manager()->head(request);
        waitFor(reply);
        m_timer.stop();
        m_status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();

        QUrl target;
        if (checkTextRedirect && reply->rawHeader("Content-Type").contains("text")) {
            HttpRequest probe(this);
            probe.setUseCache(false);
            probe.setTimeoutMs(timeoutMs());
            if (probe.get(address.toString(), true)
                && probe.responseText().startsWith(QLatin1String("http")))
                target = QUrl(probe.responseText().trimmed());
        }
        const bool redirected = HttpSemantics::isRedirect(m_status);
        if (!redirected && target.isEmpty()) {
            if (m_status == 200) {
                m_contentLength = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
            } else {
                setErrorFrom(reply);
                if (!m_timedOut)
                    setErrorText(QStringLiteral("Got HTTP status %1").arg(m_status));
            }
            reply->deleteLater();
            return;
        }
        if (target.isEmpty())
            target = redirectTargetOf(reply);
        reply->deleteLater();
        // Beyond three redirects the chain ends with this reply's status.
        if (target.isEmpty() || redirectCount() > 2) {
            setErrorText(target.isEmpty() ? QStringLiteral("Got HTTP status %1").arg(m_status)
                                          : tooManyRedirectsText(target));
            return;
        }
        if (target == address) {
            setErrorText(
                QStringLiteral("HttpRequest::head(): Redirection error: %1 is same as originator")
                    .arg(target.toString()));
            return;
        }
        address = target;
        incrementRedirectCount();
    }
}

void HttpRequest::onAbort()
{
    m_timer.stop();
    emit abort();
}

void HttpRequest::onTimeOut()
{
    m_timedOut = true;
    setErrorText(tr("Request timed out"));
    m_timer.stop();
    emit timeout();
    // The aborted reply finishes at once and is judged as timed out.
    if (m_currentReply)
        m_currentReply->abort();
    m_eventLoop.quit();
}

void HttpRequest::retryGet()
{
    incrementRedirectCount();
    get(m_startAddress.toString(), m_synchronous);
}

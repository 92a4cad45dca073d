#pragma once

#include "HttpRequestBase.h"
#include "ReplySizeLimit.h"

#include <QHash>
#include <QNetworkRequest>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <optional>

// The general HTTP client. Its main mode is blocking: a worker thread calls get() and reads
// the body when it returns; the asynchronous mode emits done() instead. Redirects are followed
// here (Qt's own following is off), successful bodies go to the process-wide memory cache,
// and failures become the error codes of KObject. Certificates are verified, and an answer
// kept in memory has a size bound.
class HttpRequest : public HttpRequestBase
{
    Q_OBJECT
public:
    enum AuthMethod { NoAuth = 0, OAuth1 = 1, OAuth2 = 2 };

    static constexpr int kDefaultTimeoutMs = 30000;
    // A GET that keeps being sent elsewhere gives up after this many redirects.
    static constexpr int kMaxRedirects = 10;

    explicit HttpRequest(QObject* parent = nullptr);
    HttpRequest(int authMethod, const QString& token, QObject* parent = nullptr);
    ~HttpRequest() override;

    // Blocking: true when the status is 200 (or the memory cache answered). Asynchronous:
    // true, and done() follows.
    bool get(const QString& address, bool synchronous);
    // Blocking get; the cookies are kept for this and later requests of this object.
    bool get(const QString& address, const QHash<QString, QString>& cookies);
    // Blocking posts; true when the status is 200.
    bool post(const QString& address, const QByteArray& body, const QString& contentType);
    bool post(const QString& address, const QHash<QString, QString>& fields);
    bool postJson(const QString& address, const QString& json);
    // Blocking HEAD that follows redirects and, when asked, text bodies that hold an address;
    // the address ends as the final one. Status, content length and error are left here.
    void head(QUrl& address, bool checkTextRedirect);

    QString responseText() const { return QString::fromUtf8(m_body); }
    // The body as received, for checking its signature.
    QByteArray responseBody() const { return m_body; }
    QString responseHeader(const QString& name) const;
    qint64 contentLength() const { return m_contentLength; }
    QUrl startAddress() const { return m_startAddress; }

    // Time-out of each exchange; tests shorten it for every request or for one.
    static void setDefaultTimeoutMs(int ms);
    static int defaultTimeoutMs();
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs > 0 ? m_timeoutMs : defaultTimeoutMs(); }

    // An answer past this many bytes is abandoned with the code TooLarge (pages and JSON by
    // default; ReplySizeLimit::kPictureBytes for pictures).
    void setMaxBodyBytes(qint64 bytes) { m_maxBodyBytes = bytes; }
    qint64 maxBodyBytes() const { return m_maxBodyBytes; }

signals:
    void done(const QString& responseString);
    void timeout();
    void abort();

public slots:
    void onAbort() override;
    void onTimeOut();
    void replyFinished(QNetworkReply* reply);
    void retryGet();

private:
    void startCall();
    bool sendGet(const QUrl& address);
    // Resets the call's state for `address`; nothing when the address is refused (the error
    // is set).
    std::optional<QNetworkRequest> openRequest(const QUrl& address);
    bool rejectUnusableAddress(const QUrl& address);
    void applyRequestCookies(const QUrl& address);
    void watch(QNetworkReply* reply);
    void waitFor(QNetworkReply* reply);
    bool followRedirect(QNetworkReply* reply);
    void takeResponse(QNetworkReply* reply);
    void setErrorFrom(QNetworkReply* reply);
    bool finishedWithSuccess() const;

    QUrl m_startAddress;
    QTimer m_timer;
    int m_authMethod = NoAuth;
    qint64 m_contentLength = -1;
    QString m_token;
    QHash<QString, QString> m_requestCookies;
    QHash<QString, QString> m_responseHeaders;
    bool m_synchronous = true;
    QUrl m_headAddress;
    QPointer<QNetworkReply> m_currentReply;
    int m_timeoutMs = 0;
    int m_redirectsInCall = 0;
    bool m_timedOut = false;
    qint64 m_maxBodyBytes = ReplySizeLimit::kPageBytes;
};

#pragma once

#include <QNetworkCookie>
#include <QNetworkCookieJar>

// The cookie jar of one thread's network manager. It hands every operation to the process-wide
// jar while one is attached, and keeps cookies of its own otherwise. The shared jar can thus be
// replaced or deleted while managers on other threads live on, without leaving them a dangling
// pointer.
class CookieJarLink : public QNetworkCookieJar
{
    Q_OBJECT
public:
    explicit CookieJarLink(QObject* parent = nullptr);

    // Attaches the jar every link hands on to; nullptr detaches. Returns once no link is
    // using the previous jar any more, so that it may then be deleted.
    static void attach(QNetworkCookieJar* jar);
    static QNetworkCookieJar* attached();

    QList<QNetworkCookie> cookiesForUrl(const QUrl& url) const override;
    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookieList, const QUrl& url) override;
    bool insertCookie(const QNetworkCookie& cookie) override;
    bool updateCookie(const QNetworkCookie& cookie) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;
};

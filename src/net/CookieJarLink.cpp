#include "CookieJarLink.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

// Held during every handed-on operation, so attach() can wait for them to end.
QMutex s_mutex;
QNetworkCookieJar* s_jar = nullptr;

} // namespace

CookieJarLink::CookieJarLink(QObject* parent)
    : QNetworkCookieJar(parent)
{ }

void CookieJarLink::attach(QNetworkCookieJar* jar)
{
    QMutexLocker lock(&s_mutex);
    s_jar = jar;
}

QNetworkCookieJar* CookieJarLink::attached()
{
    QMutexLocker lock(&s_mutex);
    return s_jar;
}

QList<QNetworkCookie> CookieJarLink::cookiesForUrl(const QUrl& url) const
{
    QMutexLocker lock(&s_mutex);
    return s_jar ? s_jar->cookiesForUrl(url) : QNetworkCookieJar::cookiesForUrl(url);
}

bool CookieJarLink::setCookiesFromUrl(const QList<QNetworkCookie>& cookieList, const QUrl& url)
{
    QMutexLocker lock(&s_mutex);
    return s_jar ? s_jar->setCookiesFromUrl(cookieList, url)
                 : QNetworkCookieJar::setCookiesFromUrl(cookieList, url);
}

bool CookieJarLink::insertCookie(const QNetworkCookie& cookie)
{
    QMutexLocker lock(&s_mutex);
    return s_jar ? s_jar->insertCookie(cookie) : QNetworkCookieJar::insertCookie(cookie);
}

bool CookieJarLink::updateCookie(const QNetworkCookie& cookie)
{
    QMutexLocker lock(&s_mutex);
    return s_jar ? s_jar->updateCookie(cookie) : QNetworkCookieJar::updateCookie(cookie);
}

bool CookieJarLink::deleteCookie(const QNetworkCookie& cookie)
{
    QMutexLocker lock(&s_mutex);
    return s_jar ? s_jar->deleteCookie(cookie) : QNetworkCookieJar::deleteCookie(cookie);
}

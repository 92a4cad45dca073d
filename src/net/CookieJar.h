#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QRecursiveMutex>

class QDataStream;

// The stream form of a cookie list, as the cookie store holds it: a signed 32-bit count,
// then one byte array per cookie with its full Set-Cookie form. Reading stops early, keeping
// what it read, when the stream ends.
QDataStream& operator<<(QDataStream& stream, const QList<QNetworkCookie>& cookies);
QDataStream& operator>>(QDataStream& stream, QList<QNetworkCookie>& cookies);

// The one cookie store of the process, shared by the network managers of every thread, so
// each operation takes the jar's lock. Loaded from the cookie store file when made, saved
// back when destroyed; the file is readable by the user only.
class CookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    explicit CookieJar(QObject* parent = nullptr);
    ~CookieJar() override;

    static QString storeFileName();
    // Replaces the held cookies by the stored ones; a missing or unreadable store gives none.
    void load();
    // Writes every held cookie (session and expired ones too) into the data folder; false
    // when they could not be written.
    bool save() const;

    QList<QNetworkCookie> cookies() const;
    void setCookies(const QList<QNetworkCookie>& cookies);

    QList<QNetworkCookie> cookiesForUrl(const QUrl& url) const override;
    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookieList, const QUrl& url) override;
    bool insertCookie(const QNetworkCookie& cookie) override;
    bool updateCookie(const QNetworkCookie& cookie) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;

private:
    mutable QRecursiveMutex m_mutex;
};

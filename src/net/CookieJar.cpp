#include "CookieJar.h"

#include "app/AppPaths.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <QMutexLocker>
#include <QSettings>

namespace {

const QString kCookiesKey = QStringLiteral("cookies");
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

void registerCookieListType()
{
    qRegisterMetaType<QList<QNetworkCookie>>("QList<QNetworkCookie>");
}

// Qt 6 finds a type's stream operators at compile time, in whichever of its instantiations
// the linker keeps. Should that one lack ours, the same stream form is stored as plain bytes.
QVariant storedForm(const QList<QNetworkCookie>& cookies)
{
    if (QMetaType::fromType<QList<QNetworkCookie>>().hasRegisteredDataStreamOperators())
        return QVariant::fromValue(cookies);
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << cookies;
    return bytes;
}

QList<QNetworkCookie> cookiesFromStoredForm(const QVariant& value)
{
    QList<QNetworkCookie> cookies;
    if (value.metaType() == QMetaType::fromType<QByteArray>()) {
        QDataStream stream(value.toByteArray());
        stream >> cookies;
        return cookies;
    }
    return value.value<QList<QNetworkCookie>>();
}

} // namespace

QDataStream& operator<<(QDataStream& stream, const QList<QNetworkCookie>& cookies)
{
    stream << qint32(cookies.size());
    for (const QNetworkCookie& cookie : cookies)
        stream << cookie.toRawForm(QNetworkCookie::Full);
    return stream;
}

QDataStream& operator>>(QDataStream& stream, QList<QNetworkCookie>& cookies)
{
    cookies.clear();
    qint32 count = 0;
    stream >> count;
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok && !stream.atEnd(); ++i) {
        QByteArray raw;
        stream >> raw;
        if (stream.status() != QDataStream::Ok)
            break;
        const QList<QNetworkCookie> parsed = QNetworkCookie::parseCookies(raw);
        if (parsed.isEmpty() && !raw.isEmpty())
            qWarning() << "CookieJar: Unable to parse saved cookie:" << raw;
        cookies += parsed;
    }
    return stream;
}

CookieJar::CookieJar(QObject* parent)
    : QNetworkCookieJar(parent)
{
    registerCookieListType();
    load();
}

CookieJar::~CookieJar()
{
    save();
}

QString CookieJar::storeFileName()
{
    return AppPaths::cookieStoreFilePath();
}

void CookieJar::load()
{
    QList<QNetworkCookie> stored;
    if (QFile::exists(storeFileName())) {
        QSettings store(storeFileName(), QSettings::NativeFormat);
        stored = cookiesFromStoredForm(store.value(kCookiesKey));
    }
    setCookies(stored);
}

bool CookieJar::save() const
{
    const QString fileName = storeFileName();
    const QList<QNetworkCookie> held = cookies();
    // The installation makes the data folder; a run that never had one leaves no trace.
    if (!QFileInfo(AppPaths::dataLocation()).isDir()
        || (held.isEmpty() && !QFile::exists(fileName)))
        return held.isEmpty();
    // Made private before anything is written: the store holds session secrets.
    QFile file(fileName);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.close();
    file.setPermissions(kOwnerOnly);

    QSettings store(fileName, QSettings::NativeFormat);
    store.setValue(kCookiesKey, storedForm(held));
    store.sync();
    file.setPermissions(kOwnerOnly);
    return store.status() == QSettings::NoError;
}

QList<QNetworkCookie> CookieJar::cookies() const
{
    QMutexLocker locker(&m_mutex);
    return allCookies();
}

void CookieJar::setCookies(const QList<QNetworkCookie>& cookies)
{
    QMutexLocker locker(&m_mutex);
    setAllCookies(cookies);
}

QList<QNetworkCookie> CookieJar::cookiesForUrl(const QUrl& url) const
{
    QMutexLocker locker(&m_mutex);
    return QNetworkCookieJar::cookiesForUrl(url);
}

bool CookieJar::setCookiesFromUrl(const QList<QNetworkCookie>& cookieList, const QUrl& url)
{
    QMutexLocker locker(&m_mutex);
    return QNetworkCookieJar::setCookiesFromUrl(cookieList, url);
}

bool CookieJar::insertCookie(const QNetworkCookie& cookie)
{
    QMutexLocker locker(&m_mutex);
    return QNetworkCookieJar::insertCookie(cookie);
}

bool CookieJar::updateCookie(const QNetworkCookie& cookie)
{
    QMutexLocker locker(&m_mutex);
    return QNetworkCookieJar::updateCookie(cookie);
}

bool CookieJar::deleteCookie(const QNetworkCookie& cookie)
{
    QMutexLocker locker(&m_mutex);
    return QNetworkCookieJar::deleteCookie(cookie);
}

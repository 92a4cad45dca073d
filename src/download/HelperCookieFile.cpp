#include "HelperCookieFile.h"

#include "app/AppPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {

const QByteArray kHttpOnlyPrefix = QByteArrayLiteral("#HttpOnly_");
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QNetworkCookie cookieFromFields(const QList<QByteArray>& fields)
{
    QNetworkCookie cookie(fields.at(5), fields.at(6));
    QByteArray domain = fields.at(0);
    if (domain.startsWith(kHttpOnlyPrefix)) {
        domain.remove(0, kHttpOnlyPrefix.size());
        cookie.setHttpOnly(true);
    }
    // A leading dot is how a cookie jar tells a domain cookie from a host-only one.
    const bool sharedWithSubdomains = fields.at(1).toUpper() == "TRUE";
    if (sharedWithSubdomains && !domain.startsWith('.'))
        domain.prepend('.');
    else if (!sharedWithSubdomains && domain.startsWith('.'))
        domain.remove(0, 1);
    cookie.setDomain(QString::fromUtf8(domain));
    cookie.setPath(QString::fromUtf8(fields.at(2)));
    cookie.setSecure(fields.at(3).toUpper() == "TRUE");
    bool valid = false;
    const qint64 expiry = fields.at(4).toLongLong(&valid);
    if (valid && expiry > 0)
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry));
    return cookie;
}

} // namespace

HelperCookieFile::HelperCookieFile(const QString& directory)
    : m_file(QDir(directory).filePath(QStringLiteral("HelperCookies-XXXXXX.txt")))
{
    QDir().mkpath(directory);
    // A temporary file is made for its owner only, under a name nobody can guess.
    if (!m_file.open())
        return;
    // The helper refuses a cookie file without the format's header line.
    m_file.write("# Netscape HTTP Cookie File\n");
    m_file.close();
    m_path = m_file.fileName();
}

QString HelperCookieFile::defaultDirectory()
{
    return AppPaths::dataLocation() + QStringLiteral("/helpers");
}

QList<QNetworkCookie> HelperCookieFile::cookies() const
{
    if (!isValid())
        return {};
    // The helper may have written a new file in its place, with the usual permissions.
    if (QFile::exists(m_path))
        QFile::setPermissions(m_path, kOwnerOnly);
    return read(m_path);
}

QList<QNetworkCookie> HelperCookieFile::read(const QString& filePath)
{
    QList<QNetworkCookie> cookies;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return cookies;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 7)
            cookies.append(cookieFromFields(fields));
    }
    return cookies;
}

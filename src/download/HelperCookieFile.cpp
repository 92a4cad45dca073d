#include "HelperCookieFile.h"

#include "app/AppPaths.h"

#include <QFile>

namespace HelperCookieFile {

QString path()
{
    return AppPaths::dataLocation() + QStringLiteral("/helpers/HelperCookies.txt");
}

QList<QNetworkCookie> read(const QString& filePath)
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
            cookies.append(QNetworkCookie(fields.at(5), fields.at(6)));
    }
    return cookies;
}

void restrictToOwner(const QString& filePath)
{
    if (QFile::exists(filePath))
        QFile::setPermissions(filePath, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace HelperCookieFile

#include "AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace AppPaths {

QString dataLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString cacheLocation()
{
    return dataLocation() + QDir::separator() + QStringLiteral("cache_qt5");
}

QString servicePluginsLocation()
{
    return dataLocation() + QDir::separator() + QStringLiteral("serviceplugins");
}

QString helpersLocation()
{
    return dataLocation() + QDir::separator() + QStringLiteral("helpers") + QDir::separator();
}

QString databaseFileName()
{
    return QStringLiteral("kestrofan2.db");
}

QString databaseFilePath()
{
    return dataLocation() + QDir::separator() + databaseFileName();
}

QString cookieStoreFilePath()
{
    return dataLocation() + QDir::separator() + QStringLiteral("CookieStore.dat");
}

} // namespace AppPaths

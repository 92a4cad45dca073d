#include "AppIdentity.h"

#include <QCoreApplication>

namespace {

const char* const kVersion = "1.1.4";
const char* const kBuild = "100";

} // namespace

namespace AppIdentity {

void apply()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Ulvane Software"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("ulvane.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrofan 2"));
    QCoreApplication::setApplicationVersion(version());
}

QString version()
{
    return QString::fromLatin1(kVersion);
}

QString build()
{
    return QString::fromLatin1(kBuild);
}

bool isStoredReleaseOutdated(const QString& storedVersion, const QString& storedBuild)
{
    if (storedVersion.isEmpty() || storedBuild.isEmpty())
        return true;
    if (storedVersion < version())
        return true;
    return storedVersion == version() && storedBuild.toInt(nullptr, 10) < build().toInt();
}

} // namespace AppIdentity

#include "AppVersionChecker.h"

#include "net/HttpRequest.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtConcurrent>

AppVersionChecker::AppVersionChecker(const QString& baseAddress, const QString& runningVersion,
    const QString& runningBuild, QObject* parent)
    : QObject(parent)
    , m_address(baseAddress.isEmpty()
              ? QString()
              : baseAddress + QStringLiteral("/kestrofan/update/appcheck.php"))
    , m_runningVersion(runningVersion)
    , m_runningBuild(runningBuild)
{ }

bool AppVersionChecker::isNewer(const QString& runningVersion, const QString& runningBuild,
    const QString& version, const QString& build)
{
    return runningVersion < version || (runningVersion == version && runningBuild < build);
}

void AppVersionChecker::check()
{
    if (m_address.isEmpty())
        return;
    m_future = QtConcurrent::run([this] { query(); });
    m_watcher.setFuture(m_future);
}

void AppVersionChecker::query()
{
    HttpRequest request;
    request.setUseCache(false);
    if (!request.get(m_address, true) || request.responseText().isEmpty())
        return;
    const QJsonDocument document = QJsonDocument::fromJson(request.responseText().toLatin1());
    if (!document.isObject())
        return;
    const QJsonObject answer = document.object();
    const QString version = answer.value(QLatin1String("version")).toString();
    const QString build = answer.value(QLatin1String("build")).toString();
    if (version.isEmpty() || !isNewer(m_runningVersion, m_runningBuild, version, build))
        return;
    // Emitted from the worker: the connection to the checker's thread is queued.
    emit newAppVersionAvailable(version, answer.value(QLatin1String("text")).toString(),
        answer.value(QLatin1String("location")).toString());
}

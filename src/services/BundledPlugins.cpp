#include "BundledPlugins.h"

#include "PluginInspector.h"
#include "ServicePluginFile.h"
#include "app/PlainName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("BundledPlugins", text);
}

QString pluginFile(const QString& folder)
{
    return folder + QLatin1Char('/') + QString::fromLatin1(ServicePluginFile::fileName());
}

bool copyFile(const QString& from, const QString& to, QString* error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        *error = target.errorString();
        return false;
    }
    target.write(source.readAll());
    if (!target.commit()) {
        *error = target.errorString();
        return false;
    }
    return true;
}

} // namespace

QString BundledPlugins::location()
{
    const QString fromEnvironment = qEnvironmentVariable("KESTROFAN_PLUGINS_DIR");
    if (!fromEnvironment.isEmpty())
        return QFileInfo(fromEnvironment).isDir() ? fromEnvironment : QString();
    const QString appDir = QCoreApplication::applicationDirPath();
    const QStringList candidates {
        appDir + QStringLiteral("/plugins"),
        appDir + QStringLiteral("/../share/kestrofan2/plugins"),
        QStringLiteral(KESTROFAN_BUILD_PLUGINS_DIR),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

BundledPlugins::BundledPlugins(const QString& pluginsDirectory)
    : m_pluginsDirectory(pluginsDirectory)
{ }

bool BundledPlugins::install(QStringList* report, QString* error)
{
    const QString source = location();
    if (source.isEmpty()) {
        *error = tr("The bundled service plugins were not found. Set KESTROFAN_PLUGINS_DIR to "
                    "the folder that holds them.");
        return false;
    }
    const QString& target = m_pluginsDirectory;
    const QStringList keys
        = QDir(source).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& key : keys) {
        const QString bundled = pluginFile(source + QLatin1Char('/') + key);
        if (!PlainName::isValid(key) || !QFileInfo::exists(bundled))
            continue;
        ServiceSettings offered;
        QString problem;
        if (!PluginInspector::inspectFile(bundled, &offered, &problem)) {
            *error = tr("The bundled service plugin %1 is broken: %2").arg(bundled, problem);
            return false;
        }
        const QString folder = target + QLatin1Char('/') + key;
        const QString installed = pluginFile(folder);
        ServiceSettings present;
        if (QFileInfo::exists(installed)
            && PluginInspector::inspectFile(installed, &present, &problem)
            && present.revision >= offered.revision) {
            report->append(tr("Service plugin %1 (revision %2) is in place.")
                               .arg(present.serviceName)
                               .arg(present.revision));
            continue;
        }
        if (!QDir().mkpath(folder) || !copyFile(bundled, installed, &problem)) {
            *error = tr("Could not install the service plugin %1 into %2: %3")
                         .arg(key, folder, problem);
            return false;
        }
        report->append(tr("Installed service plugin %1 (revision %2).")
                           .arg(offered.serviceName)
                           .arg(offered.revision));
    }
    return true;
}

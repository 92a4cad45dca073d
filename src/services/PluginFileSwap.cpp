#include "PluginFileSwap.h"

#include "PluginInspector.h"
#include "ServicePluginFile.h"
#include "app/FileReplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtDebug>

namespace {

QString currentPath(const QString& folder)
{
    return folder + QLatin1Char('/') + QString::fromLatin1(ServicePluginFile::fileName());
}

QString previousPath(const QString& folder)
{
    return folder + QLatin1Char('/') + PluginFileSwap::previousFileName();
}

} // namespace

QString PluginFileSwap::previousFileName()
{
    return QString::fromLatin1(ServicePluginFile::fileName()) + QStringLiteral(".previous");
}

bool PluginFileSwap::install(const QString& folder, const QByteArray& packed, QString* error)
{
    if (QFileInfo(folder).isSymLink()) {
        *error = QStringLiteral("%1 is a symbolic link").arg(folder);
        return false;
    }
    QTemporaryFile incoming(folder + QStringLiteral("/.service.plugin.XXXXXX"));
    if (!incoming.open() || incoming.write(packed) != packed.size() || !incoming.flush()) {
        *error = incoming.errorString();
        return false;
    }
    const QString current = currentPath(folder);
    const QString previous = previousPath(folder);
    // An unconfirmed earlier replacement keeps its older previous file: that one last loaded.
    if (!QFileInfo::exists(previous)) {
        if (QFileInfo(current).isFile() && !QFileInfo(current).isSymLink()) {
            if (!FileReplacement::moveOver(current, previous, error))
                return false;
        } else {
            QFile marker(previous);
            if (!marker.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                *error = marker.errorString();
                return false;
            }
        }
    }
    if (!FileReplacement::moveOver(incoming.fileName(), current, error)) {
        rollBack(folder);
        return false;
    }
    incoming.setAutoRemove(false);
    return true;
}

void PluginFileSwap::confirm(const QString& folder)
{
    QFile::remove(previousPath(folder));
}

void PluginFileSwap::rollBack(const QString& folder)
{
    const QString previous = previousPath(folder);
    if (!QFileInfo::exists(previous))
        return;
    QString error;
    if (QFileInfo(previous).size() == 0) {
        QFile::remove(currentPath(folder));
        QFile::remove(previous);
    } else if (!FileReplacement::moveOver(previous, currentPath(folder), &error)) {
        qWarning().noquote() << QStringLiteral("Could not restore %1: %2").arg(previous, error);
    }
}

void PluginFileSwap::settle(const QString& folder)
{
    if (!QFileInfo::exists(previousPath(folder)))
        return;
    ServiceSettings settings;
    QString problem;
    if (PluginInspector::inspectFile(currentPath(folder), &settings, &problem)) {
        confirm(folder);
        return;
    }
    qWarning().noquote() << QStringLiteral("The new service plugin in %1 does not load (%2); "
                                           "returning to the previous one")
                                .arg(folder, problem);
    rollBack(folder);
}

#include "FileRevealer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace FileRevealer {

QString newestFile(const QString& folder)
{
    const QFileInfoList files
        = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Time);
    return files.isEmpty() ? QString() : files.constFirst().absoluteFilePath();
}

bool openFolderOf(const QString& filePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath).absolutePath()));
}

bool reveal(const QString& filePath)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return openFolderOf(filePath);
    // Asked without waiting: the bus starts a file manager that is not running yet, and one
    // that is missing or fails answers with an error, on which the folder is opened instead.
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusMessage call = QDBusMessage::createMethodCall(service,
        QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
    call << QStringList { QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toString() }
         << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
        [filePath](QDBusPendingCallWatcher* answered) {
            if (answered->isError())
                openFolderOf(filePath);
            answered->deleteLater();
        });
    return true;
}

} // namespace FileRevealer

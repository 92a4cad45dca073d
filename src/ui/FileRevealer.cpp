#include "FileRevealer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
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

bool reveal(const QString& filePath)
{
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()
        && bus.interface()->isServiceRegistered(service).value()) {
        QDBusMessage call = QDBusMessage::createMethodCall(service,
            QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
        call << QStringList { QUrl::fromLocalFile(filePath).toString() } << QString();
        return bus.send(call);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath).absolutePath()));
}

} // namespace FileRevealer

#pragma once

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QProcess>

// A session bus of the test's own (dbus-daemon) in place of the desktop's, and a second
// connection to it on which stand-in desktop services register, as the desktop's would. Start
// it before anything in the process uses the session bus.
class PrivateSessionBus
{
public:
    static constexpr const char* serviceConnectionName = "stand-in services";

    ~PrivateSessionBus()
    {
        QDBusConnection::disconnectFromBus(QString::fromLatin1(serviceConnectionName));
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }

    // False when the daemon did not start or the process could not connect to it.
    bool start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1") });
        if (!m_daemon.waitForStarted())
            return false;
        const QDeadlineTimer deadline(10000);
        while (!m_daemon.canReadLine() && !deadline.hasExpired())
            m_daemon.waitForReadyRead(100);
        const QByteArray address = m_daemon.readLine().trimmed();
        if (address.isEmpty())
            return false;
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        return QDBusConnection::sessionBus().isConnected()
            && QDBusConnection::connectToBus(
                QString::fromUtf8(address), QString::fromLatin1(serviceConnectionName))
                   .isConnected();
    }

    // Where stand-in services register their names and objects.
    static QDBusConnection services()
    {
        return QDBusConnection(QString::fromLatin1(serviceConnectionName));
    }

private:
    QProcess m_daemon;
};

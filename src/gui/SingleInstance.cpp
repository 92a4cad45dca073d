#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// An address is one line; anything longer is not one of ours.
constexpr qint64 MaxMessageBytes = 64 * 1024;
const QByteArray Acknowledgement = QByteArrayLiteral("ok\n");

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = QString::number(::getuid());
    // Only characters that are safe in a file name.
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return name;
}

} // namespace

SingleInstance::SingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent)
    , m_socketPath(socketPath)
{ }

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::defaultSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/kestrofan2-") + userName() + QStringLiteral(".socket");
}

bool SingleInstance::handOver(const QString& address, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(address.toUtf8().replace('\n', ' ') + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Only an answer proves that the running instance took the address.
    QByteArray answer;
    while (answer.size() < Acknowledgement.size() && socket.waitForReadyRead(timeoutMs))
        answer += socket.readAll();
    return answer.startsWith(Acknowledgement);
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (m_server->listen(m_socketPath))
        return true;
    // Nobody answered on the socket (the caller tried handOver first): it is a leftover.
    QLocalServer::removeServer(m_socketPath);
    if (m_server->listen(m_socketPath))
        return true;
    qWarning("SingleInstance::listen(): %s", qPrintable(m_server->errorString()));
    return false;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxMessageBytes)
            socket->abort();
        return;
    }
    const QString address = QString::fromUtf8(socket->readLine(MaxMessageBytes)).trimmed();
    socket->write(Acknowledgement);
    socket->disconnectFromServer();
    if (!address.isEmpty())
        emit addressReceived(address);
    emit activationRequested();
}

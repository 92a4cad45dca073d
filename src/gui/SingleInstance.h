#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running kestrofan per user: a program started later hands its address (a
// "kestrofan:" download address, or nothing) to the running one through a local socket in
// the user's runtime folder, and quits.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(
        const QString& socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // The user's runtime folder + "kestrofan2-" + the user's name + ".socket".
    static QString defaultSocketPath();

    // Gives the address to a running instance; true when one took it.
    bool handOver(const QString& address, int timeoutMs = 5000);
    // Starts taking addresses from later instances; a socket left behind by a crashed
    // instance is replaced. False when the socket cannot be made.
    bool listen();

    QString socketPath() const { return m_socketPath; }

signals:
    // A later instance was started with this address.
    void addressReceived(const QString& address);
    // A later instance was started at all: the window should come to the front.
    void activationRequested();

private:
    void onNewConnection();
    void readFrom(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};

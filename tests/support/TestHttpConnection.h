#pragma once

#include "TestHttpSite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QTimer>

class QTcpSocket;

// One client connection of the test server, living on the server thread: reads requests one
// after the other (keep-alive) and acts out each reply: ranges, throttling, stalls and drops.
class TestHttpConnection : public QObject
{
    Q_OBJECT
public:
    TestHttpConnection(QTcpSocket* socket, TestHttpSite* site, QObject* parent);

private slots:
    void onReadyRead();
    void onSendMore();
    void onDisconnected();

private:
    bool takeRequest(TestHttpRequest* request, bool* keepAlive);
    void startReply(const TestHttpRequest& request, bool keepAlive);
    void finishReply();
    qint64 nextChunkSize();
    QByteArray readBody(qint64 length);
    void waitFor(int ms);

    QTcpSocket* m_socket;
    TestHttpSite* m_site;
    QByteArray m_input;
    bool m_replying = false;
    bool m_closing = false;
    bool m_keepAlive = true;
    TestHttpReply m_reply;
    QFile m_file;
    qint64 m_sent = 0;
    bool m_stallDone = false;
    bool m_stallEnding = false;
    bool m_waiting = false;
    QTimer m_timer;
    QElapsedTimer m_throttleClock;
    qint64 m_throttleBase = 0;
};

// Accepts connections on 127.0.0.1 for the server thread.
class TestHttpListener : public QObject
{
    Q_OBJECT
public:
    explicit TestHttpListener(TestHttpSite* site);

    // Serves HTTPS (a QSslServer) instead of HTTP; set before listen().
    void useTls(const QSslCertificate& certificate, const QSslKey& key);
    Q_INVOKABLE quint16 listen();
    int connectionCount() const;

private:
    void acceptPending();

    TestHttpSite* m_site;
    QSslCertificate m_certificate;
    QSslKey m_key;
    class QTcpServer* m_server = nullptr;
    QAtomicInt m_connections;
};

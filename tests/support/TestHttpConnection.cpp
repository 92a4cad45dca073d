#include "TestHttpConnection.h"

#include <QHash>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr int kMaxHeaderBytes = 64 * 1024;
constexpr qint64 kChunkBytes = 64 * 1024;
constexpr qint64 kHighWaterBytes = 256 * 1024;
constexpr int kThrottleBurstMs = 50;

QByteArray reasonPhrase(int status)
{
    static const QHash<int, QByteArray> phrases { { 200, "OK" }, { 204, "No Content" },
        { 206, "Partial Content" }, { 301, "Moved Permanently" }, { 302, "Found" },
        { 303, "See Other" }, { 304, "Not Modified" }, { 307, "Temporary Redirect" },
        { 308, "Permanent Redirect" }, { 400, "Bad Request" }, { 401, "Unauthorized" },
        { 403, "Forbidden" }, { 404, "Not Found" }, { 405, "Method Not Allowed" },
        { 416, "Range Not Satisfiable" }, { 500, "Internal Server Error" },
        { 501, "Not Implemented" }, { 502, "Bad Gateway" }, { 503, "Service Unavailable" } };
    return phrases.value(status, "Status");
}

bool statusHasNoBody(int status)
{
    return (status >= 100 && status < 200) || status == 204 || status == 304;
}

} // namespace

TestHttpConnection::TestHttpConnection(QTcpSocket* socket, TestHttpSite* site, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_site(site)
{
    m_socket->setParent(this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_waiting = false;
        if (m_stallEnding) {
            // A stall must not count against the throttle's budget afterwards.
            m_stallEnding = false;
            m_throttleClock.start();
            m_throttleBase = m_sent;
        }
        onSendMore();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &TestHttpConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &TestHttpConnection::onSendMore);
    connect(m_socket, &QTcpSocket::disconnected, this, &TestHttpConnection::onDisconnected);
    onReadyRead();
}

void TestHttpConnection::onDisconnected()
{
    m_timer.stop();
    m_closing = true;
    deleteLater();
}

void TestHttpConnection::onReadyRead()
{
    m_input.append(m_socket->readAll());
    // Requests are answered one at a time; a pipelined one waits for the previous reply.
    while (!m_replying && !m_closing) {
        TestHttpRequest request;
        bool keepAlive = true;
        if (!takeRequest(&request, &keepAlive))
            return;
        startReply(request, keepAlive);
    }
}

bool TestHttpConnection::takeRequest(TestHttpRequest* request, bool* keepAlive)
{
    const int headerEnd = m_input.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (m_input.size() > kMaxHeaderBytes) {
            m_closing = true;
            m_socket->abort();
        }
        return false;
    }
    const QList<QByteArray> lines = m_input.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        const QByteArray earlier = request->headers.value(name);
        request->headers.insert(name, earlier.isEmpty() ? value : earlier + ", " + value);
    }
    const qint64 bodyLength = request->header("content-length").toLongLong();
    if (m_input.size() < headerEnd + 4 + bodyLength)
        return false;
    request->body = m_input.mid(headerEnd + 4, bodyLength);
    m_input.remove(0, headerEnd + 4 + bodyLength);

    request->method = QString::fromLatin1(requestLine.value(0));
    const QByteArray target = requestLine.value(1);
    const int question = target.indexOf('?');
    request->path = QUrl::fromPercentEncoding(question < 0 ? target : target.left(question));
    request->query = question < 0 ? QString() : QString::fromLatin1(target.mid(question + 1));
    const QByteArray connection = request->header("connection").toLower();
    const bool http10 = requestLine.value(2) == "HTTP/1.0";
    *keepAlive = http10 ? connection.contains("keep-alive") : !connection.contains("close");
    if (requestLine.size() != 3 || !request->header("transfer-encoding").isEmpty()) {
        // Chunked uploads are not needed by any client under test: refuse them clearly.
        *keepAlive = false;
        request->method = "INVALID";
    }
    return true;
}

void TestHttpConnection::startReply(const TestHttpRequest& request, bool keepAlive)
{
    if (request.method == QLatin1String("INVALID")) {
        m_reply = TestHttpReply();
        m_reply.status = 400;
    } else {
        m_reply = m_site->answer(request);
    }
    if (m_reply.silent) {
        // Holds the connection open without a byte in answer.
        m_replying = true;
        m_waiting = true;
        return;
    }
    if (statusHasNoBody(m_reply.status))
        m_reply.sendBody = false;
    m_keepAlive = keepAlive && !m_reply.closeConnection && !m_reply.omitContentLength;
    m_replying = true;
    m_sent = 0;
    m_stallDone = false;
    m_stallEnding = false;
    m_throttleBase = 0;
    m_throttleClock.start();

    QByteArray head = "HTTP/1.1 " + QByteArray::number(m_reply.status) + ' '
        + reasonPhrase(m_reply.status) + "\r\n";
    for (const auto& header : qAsConst(m_reply.headers))
        head += header.first + ": " + header.second + "\r\n";
    if (!m_reply.omitContentLength && !statusHasNoBody(m_reply.status))
        head += "Content-Length: " + QByteArray::number(m_reply.bodyLength) + "\r\n";
    head += m_keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    m_socket->write(head);

    if (!m_reply.sendBody)
        m_reply.bodyLength = 0;
    if (!m_reply.filePath.isEmpty() && m_reply.bodyLength > 0) {
        m_file.setFileName(m_reply.filePath);
        if (!m_file.open(QIODevice::ReadOnly) || !m_file.seek(m_reply.fileOffset)) {
            m_closing = true;
            m_socket->abort();
            return;
        }
    }
    onSendMore();
}

void TestHttpConnection::onSendMore()
{
    if (!m_replying || m_waiting || m_closing)
        return;
    while (m_sent < m_reply.bodyLength) {
        if (m_socket->bytesToWrite() > kHighWaterBytes)
            return; // resumed by bytesWritten
        if (m_sent == m_reply.dropAfterBytes) {
            m_closing = true;
            m_socket->disconnectFromHost(); // sends what is buffered, then closes
            return;
        }
        if (m_sent == m_reply.stallAfterBytes && !m_stallDone) {
            m_stallDone = true;
            if (m_reply.stallMs >= 0) {
                m_stallEnding = true;
                waitFor(m_reply.stallMs);
            } else
                m_waiting = true; // for good: only the client or the server's end closes it
            return;
        }
        const qint64 chunk = nextChunkSize();
        if (chunk <= 0)
            return;
        const QByteArray data = readBody(chunk);
        if (data.isEmpty()) {
            m_closing = true;
            m_socket->abort();
            return;
        }
        m_socket->write(data);
        m_sent += data.size();
    }
    finishReply();
}

qint64 TestHttpConnection::nextChunkSize()
{
    qint64 chunk = qMin(kChunkBytes, m_reply.bodyLength - m_sent);
    if (m_reply.dropAfterBytes > m_sent)
        chunk = qMin(chunk, m_reply.dropAfterBytes - m_sent);
    if (m_reply.stallAfterBytes > m_sent && !m_stallDone)
        chunk = qMin(chunk, m_reply.stallAfterBytes - m_sent);
    if (m_reply.bytesPerSecond > 0) {
        const qint64 allowed
            = m_reply.bytesPerSecond * (m_throttleClock.elapsed() + kThrottleBurstMs) / 1000
            - (m_sent - m_throttleBase);
        if (allowed <= 0) {
            waitFor(int(qMax<qint64>(5, (1 - allowed) * 1000 / m_reply.bytesPerSecond)));
            return 0;
        }
        chunk = qMin(chunk, allowed);
    }
    return chunk;
}

QByteArray TestHttpConnection::readBody(qint64 length)
{
    if (m_reply.filePath.isEmpty())
        return m_reply.body.mid(m_sent, length);
    return m_file.read(length);
}

void TestHttpConnection::waitFor(int ms)
{
    m_waiting = true;
    m_timer.start(ms);
}

void TestHttpConnection::finishReply()
{
    m_replying = false;
    m_file.close();
    m_reply = TestHttpReply();
    if (!m_keepAlive) {
        m_closing = true;
        m_socket->disconnectFromHost();
        return;
    }
    if (!m_input.isEmpty())
        QMetaObject::invokeMethod(this, &TestHttpConnection::onReadyRead, Qt::QueuedConnection);
}

TestHttpListener::TestHttpListener(TestHttpSite* site)
    : m_site(site)
{ }

void TestHttpListener::useTls(const QSslCertificate& certificate, const QSslKey& key)
{
    m_certificate = certificate;
    m_key = key;
}

quint16 TestHttpListener::listen()
{
    if (m_certificate.isNull()) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, &TestHttpListener::acceptPending);
    } else {
        auto* server = new QSslServer(this);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(m_certificate);
        configuration.setPrivateKey(m_key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        server->setSslConfiguration(configuration);
        // A connection is handed over once its handshake succeeded.
        connect(server, &QTcpServer::pendingConnectionAvailable, this,
            &TestHttpListener::acceptPending);
        m_server = server;
    }
    if (!m_server->listen(QHostAddress::LocalHost, 0))
        return 0;
    return m_server->serverPort();
}

void TestHttpListener::acceptPending()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_connections.fetchAndAddRelaxed(1);
        new TestHttpConnection(socket, m_site, this);
    }
}

int TestHttpListener::connectionCount() const
{
    return m_connections.loadRelaxed();
}

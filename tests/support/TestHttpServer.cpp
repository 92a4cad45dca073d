#include "TestHttpServer.h"

#include "TestHttpConnection.h"
#include "TestHttpSite.h"

#include <QDir>

TestHttpServer::TestHttpServer()
    : m_site(std::make_unique<TestHttpSite>())
{
    m_thread.setObjectName("TestHttpServer");
}

TestHttpServer::~TestHttpServer()
{
    // The listener and its connections are deleted on their own thread as it finishes.
    m_thread.quit();
    m_thread.wait();
}

bool TestHttpServer::start()
{
    if (m_listener)
        return m_port != 0;
    m_listener = new TestHttpListener(m_site.get());
    if (!m_certificate.isNull())
        m_listener->useTls(m_certificate, m_key);
    m_listener->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_listener, &QObject::deleteLater);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_listener, &TestHttpListener::listen, Qt::BlockingQueuedConnection, &m_port);
    return m_port != 0;
}

void TestHttpServer::useTls(const QSslCertificate& certificate, const QSslKey& key)
{
    m_certificate = certificate;
    m_key = key;
}

QString TestHttpServer::origin() const
{
    QString origin = url(QString()).toString();
    origin.chop(1);
    return origin;
}

QUrl TestHttpServer::url(const QString& pathAndQuery) const
{
    const QString path = pathAndQuery.startsWith(QLatin1Char('/'))
        ? pathAndQuery
        : QLatin1Char('/') + pathAndQuery;
    const QString scheme
        = m_certificate.isNull() ? QStringLiteral("http") : QStringLiteral("https");
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(m_port).arg(path));
}

void TestHttpServer::serveFile(
    const QString& path, const QByteArray& body, const QByteArray& contentType)
{
    m_site->setFile(path, body, QString(), contentType);
}

void TestHttpServer::serveFileFromDisk(
    const QString& path, const QString& filePath, const QByteArray& contentType)
{
    m_site->setFile(path, QByteArray(), filePath, contentType);
}

void TestHttpServer::setFileOptions(const QString& path, const FileOptions& options)
{
    m_site->setOptions(path, options);
}

void TestHttpServer::route(const QString& path, Handler handler)
{
    m_site->setRoute(path, handler);
}

void TestHttpServer::answer(const QString& path, const Response& response)
{
    route(path, [response](const Request&) { return response; });
}

QList<TestHttpServer::Request> TestHttpServer::requests() const
{
    return m_site->requests();
}

int TestHttpServer::requestCount(const QString& path, const QString& method) const
{
    const QList<Request> all = m_site->requests();
    return int(std::count_if(all.cbegin(), all.cend(), [&](const Request& request) {
        return request.path == path && (method.isEmpty() || request.method == method);
    }));
}

TestHttpServer::Request TestHttpServer::lastRequest(const QString& path) const
{
    const QList<Request> all = m_site->requests();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (it->path == path)
            return *it;
    }
    return Request();
}

void TestHttpServer::clearRequests()
{
    m_site->clearRequests();
}

int TestHttpServer::connectionCount() const
{
    return m_listener ? m_listener->connectionCount() : 0;
}

void TestHttpServer::serveMediaFolder(const QString& urlFolder, const QString& directory)
{
    const QDir dir(directory);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QByteArray type = name.endsWith(QLatin1String(".m3u8"))
            ? "application/vnd.apple.mpegurl"
            : name.endsWith(QLatin1String(".mpd")) ? "application/dash+xml"
            : name.endsWith(QLatin1String(".ts"))  ? "video/mp2t"
                                                   : "video/mp4";
        serveFileFromDisk(urlFolder + QLatin1Char('/') + name, dir.filePath(name), type);
    }
}

void TestHttpServer::serveVideoPage(
    const QString& path, const QString& title, const QString& videoSource)
{
    answer(path,
        Response::text(QStringLiteral("<html><head><title>%1</title></head><body>"
                                      "<video src=\"%2\"></video></body></html>")
                           .arg(title, videoSource),
            200, "text/html; charset=utf-8"));
}

#pragma once

#include "TestHttpTypes.h"

#include <QSslCertificate>
#include <QSslKey>
#include <QThread>

#include <functional>
#include <memory>

class TestHttpSite;
class TestHttpListener;

// An HTTP/1.1 server for tests on 127.0.0.1 and a random port. Its sockets are served on a
// thread of its own, so a test thread that blocks (a synchronous request, waiting for a
// child process) is still answered, and so are child processes such as yt-dlp and ffmpeg.
//
// Content is set up from the test thread at any time: static files (memory or disk) with
// per-path behaviour, and scripted routes. Route handlers run on the server thread.
class TestHttpServer
{
public:
    using Request = TestHttpRequest;
    using Response = TestHttpResponse;
    using FileOptions = TestHttpFileOptions;
    using Handler = std::function<Response(const Request&)>;

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool start();
    // Serves HTTPS with the certificate and key instead of HTTP; call before start().
    void useTls(const QSslCertificate& certificate, const QSslKey& key);
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>" (https in TLS mode) followed by the path (a missing leading
    // '/' is added).
    QUrl url(const QString& pathAndQuery) const;
    // "http://127.0.0.1:<port>", for tests that write addresses into plugins and answers.
    QString origin() const;

    // GET with byte ranges (206/416), HEAD with Content-Length.
    void serveFile(const QString& path, const QByteArray& body,
        const QByteArray& contentType = "application/octet-stream");
    // Streams the file from disk on every request, for big bodies.
    void serveFileFromDisk(const QString& path, const QString& filePath,
        const QByteArray& contentType = "application/octet-stream");
    // Every file of the directory under urlFolder, typed by extension (HLS, DASH, TS, else MP4).
    void serveMediaFolder(const QString& urlFolder, const QString& directory);
    // An HTML page with the title and one <video> of the source, as the generic service reads.
    void serveVideoPage(const QString& path, const QString& title, const QString& videoSource);
    // Replaces the options of the path and restarts its "...Times" counters.
    void setFileOptions(const QString& path, const FileOptions& options);

    // The handler answers every method on the path; a path ending in '*' answers every path
    // that starts with what precedes the '*'. Routes take precedence over files.
    void route(const QString& path, Handler handler);
    // A route that always gives this response.
    void answer(const QString& path, const Response& response);

    QList<Request> requests() const;
    // Requests received for the path, of any method or only of the given one.
    int requestCount(const QString& path, const QString& method = QString()) const;
    // The latest request for the path; a default Request when there was none.
    Request lastRequest(const QString& path) const;
    void clearRequests();
    // Connections accepted so far (keep-alive reuses one).
    int connectionCount() const;

private:
    std::unique_ptr<TestHttpSite> m_site;
    QThread m_thread;
    TestHttpListener* m_listener = nullptr;
    quint16 m_port = 0;
    QSslCertificate m_certificate;
    QSslKey m_key;
};

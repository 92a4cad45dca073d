#pragma once

#include "TestHttpTypes.h"

#include <QHash>
#include <QMutex>

#include <functional>

// What a connection sends for one request: status, headers and where the body comes from,
// with the transfer behaviour to act out.
struct TestHttpReply
{
    int status = 200;
    TestHttpHeaders headers; // without Content-Length and Connection, which the connection adds
    QByteArray body; // the body when it comes from memory
    QString filePath; // the body file when it streams from disk
    qint64 fileOffset = 0;
    qint64 bodyLength = 0;
    bool sendBody = true; // false for HEAD: Content-Length announces a body that is not sent
    bool omitContentLength = false;
    bool closeConnection = false;
    qint64 dropAfterBytes = -1;
    qint64 stallAfterBytes = -1;
    int stallMs = -1;
    qint64 bytesPerSecond = 0;
    bool silent = false;
};

// The content of the test server: files, their options, scripted routes and the log of
// requests. Shared between the test thread and the server thread, so every member is guarded.
class TestHttpSite
{
public:
    using Handler = std::function<TestHttpResponse(const TestHttpRequest&)>;

    void setFile(const QString& path, const QByteArray& body, const QString& filePath,
        const QByteArray& contentType);
    void setOptions(const QString& path, const TestHttpFileOptions& options);
    void setRoute(const QString& path, const Handler& handler);

    // Logs the request and decides the answer. Route handlers run outside the lock so they
    // may ask the server about earlier requests.
    TestHttpReply answer(const TestHttpRequest& request);

    QList<TestHttpRequest> requests() const;
    void clearRequests();

private:
    struct File
    {
        QByteArray body;
        QString filePath; // non-empty: stream from disk
        QByteArray contentType;
    };
    struct Counters
    {
        int failed = 0;
        int dropped = 0;
        int stalled = 0;
        int silenced = 0;
    };

    Handler findRoute(const QString& path) const;
    TestHttpReply answerFile(const TestHttpRequest& request, const File& file,
        const TestHttpFileOptions& options, Counters& counters) const;

    mutable QMutex m_mutex;
    QHash<QString, File> m_files;
    QHash<QString, TestHttpFileOptions> m_options;
    QHash<QString, Counters> m_counters;
    QHash<QString, Handler> m_routes;
    QList<TestHttpRequest> m_requests;
};

// Builds the reply a route handler asked for.
TestHttpReply replyFromResponse(const TestHttpRequest& request, const TestHttpResponse& response);

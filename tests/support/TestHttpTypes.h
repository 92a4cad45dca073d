#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QUrl>

// Response headers in sending order; a name may repeat (several "Set-Cookie" lines).
using TestHttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// One request as the test server received it.
struct TestHttpRequest
{
    QString method;
    QString path; // percent-decoded, without the query
    QString query; // raw query without '?', empty when absent
    QMap<QByteArray, QByteArray> headers; // lower-case names; repeated headers joined by ", "
    QByteArray body;

    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
};

// What a scripted route answers. The transfer options act on the body bytes of this response.
struct TestHttpResponse
{
    int status = 200;
    TestHttpHeaders headers;
    QByteArray body;
    qint64 dropAfterBytes = -1; // close the connection after this many body bytes
    qint64 stallAfterBytes = -1; // stop sending after this many body bytes ...
    int stallMs = -1; // ... for this long; negative: until the client gives up
    qint64 bytesPerSecond = 0; // 0: unthrottled
    bool omitContentLength = false; // the body then ends with the connection
    bool closeConnection = false;
    bool silent = false; // read the request, then never answer (until the client gives up)

    static TestHttpResponse bytes(const QByteArray& body, int status = 200);
    static TestHttpResponse redirect(const QUrl& to, int status = 302);
    static TestHttpResponse text(const QString& body, int status = 200,
        const QByteArray& contentType = "text/plain; charset=utf-8");
    static TestHttpResponse json(const QJsonDocument& document, int status = 200);
    static TestHttpResponse json(const QJsonObject& object, int status = 200);
    static TestHttpResponse json(const QJsonArray& array, int status = 200);

    TestHttpResponse& withHeader(const QByteArray& name, const QByteArray& value);
    TestHttpResponse& stallingAfter(qint64 bytes, int ms = -1);
};

// Behaviour of one served file. Counters ("...Times") count the responses the option was
// applied to; a negative count applies the option to every request.
struct TestHttpFileOptions
{
    bool refuseHead = false; // HEAD gets 405
    bool allowMethodsHeader = false; // the refused HEAD carries "Access-Control-Allow-Methods"
    bool ignoreRanges = false; // ranged GETs get 200 and the whole body
    qint64 dropAfterBytes = -1;
    int dropTimes = -1;
    qint64 stallAfterBytes = -1;
    int stallMs = -1; // negative: stall until the client gives up
    int stallTimes = -1;
    qint64 bytesPerSecond = 0;
    bool omitContentLength = false;
    int status = 0; // non-zero: answer with this status (empty body) instead of the file
    int failTimes = -1;
    // When set, sent and honoured in "If-None-Match" (304) and "If-Range" (a range whose
    // "If-Range" names another version is ignored: 200 and the whole body).
    QByteArray etag;
    // When set, sent and honoured like the ETag, in "If-Modified-Since" and "If-Range".
    QByteArray lastModified;
    bool ignoreIfRange = false; // serve ranges whatever "If-Range" says
    int silentTimes = 0; // the first this many requests are never answered
    TestHttpHeaders extraHeaders;
};

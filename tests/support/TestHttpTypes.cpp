#include "TestHttpTypes.h"

TestHttpResponse TestHttpResponse::bytes(const QByteArray& body, int status)
{
    TestHttpResponse response;
    response.status = status;
    response.body = body;
    return response;
}

TestHttpResponse TestHttpResponse::redirect(const QUrl& to, int status)
{
    TestHttpResponse response;
    response.status = status;
    response.headers.emplace_back("Location", to.toEncoded());
    return response;
}

TestHttpResponse TestHttpResponse::text(
    const QString& body, int status, const QByteArray& contentType)
{
    TestHttpResponse response;
    response.status = status;
    response.body = body.toUtf8();
    response.headers.emplace_back("Content-Type", contentType);
    return response;
}

TestHttpResponse TestHttpResponse::json(const QJsonDocument& document, int status)
{
    TestHttpResponse response;
    response.status = status;
    response.body = document.toJson(QJsonDocument::Compact);
    response.headers.emplace_back("Content-Type", "application/json");
    return response;
}

TestHttpResponse TestHttpResponse::json(const QJsonObject& object, int status)
{
    return json(QJsonDocument(object), status);
}

TestHttpResponse TestHttpResponse::json(const QJsonArray& array, int status)
{
    return json(QJsonDocument(array), status);
}

TestHttpResponse& TestHttpResponse::withHeader(const QByteArray& name, const QByteArray& value)
{
    headers.emplace_back(name, value);
    return *this;
}

TestHttpResponse& TestHttpResponse::stallingAfter(qint64 bytes, int ms)
{
    stallAfterBytes = bytes;
    stallMs = ms;
    return *this;
}

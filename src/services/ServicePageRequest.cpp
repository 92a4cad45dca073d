#include "ServicePageRequest.h"

#include "HttpRequest.h"
#include "MediaService.h"

bool ServicePageRequest::get(const MediaService& service, const QUrl& address, QString* body)
{
    if (!address.isValid() || address.isEmpty())
        return false;
    HttpRequest request(service.httpAuthMethod(), service.oaToken(), nullptr);
    if (!request.get(QString::fromLatin1(address.toEncoded(QUrl::FullyEncoded)), true))
        return false;
    *body = request.responseText();
    return true;
}

bool ServicePageRequest::postJson(const QUrl& address, const QByteArray& json, QString* body)
{
    if (!address.isValid() || address.isEmpty())
        return false;
    HttpRequest request(nullptr);
    if (!request.postJson(
            QString::fromLatin1(address.toEncoded(QUrl::FullyEncoded)), QString::fromUtf8(json)))
        return false;
    *body = request.responseText();
    return true;
}

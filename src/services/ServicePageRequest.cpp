#include "ServicePageRequest.h"

#include "MediaService.h"
#include "net/HttpRequest.h"

namespace {

// The code's fixed text, with the network layer's own detail when it adds something.
QString describeFailure(const HttpRequest& request)
{
    const QString summary = request.errorMessage();
    const QString detail = request.errorText();
    if (detail.isEmpty() || detail == summary)
        return summary;
    return summary.isEmpty() ? detail : summary + QStringLiteral(" (") + detail + QLatin1Char(')');
}

bool isUsable(const QUrl& address, QString* error)
{
    if (address.isValid() && !address.isEmpty())
        return true;
    *error = KObject::textForCode(KObject::InvalidUrl);
    return false;
}

} // namespace

bool ServicePageRequest::get(
    const MediaService& service, const QUrl& address, QString* body, QString* error)
{
    if (!isUsable(address, error))
        return false;
    HttpRequest request(service.httpAuthMethod(), service.oaToken(), nullptr);
    if (!request.get(QString::fromLatin1(address.toEncoded(QUrl::FullyEncoded)), true)) {
        *error = describeFailure(request);
        return false;
    }
    *body = request.responseText();
    return true;
}

bool ServicePageRequest::postJson(
    const QUrl& address, const QByteArray& json, QString* body, QString* error)
{
    if (!isUsable(address, error))
        return false;
    HttpRequest request(nullptr);
    if (!request.postJson(
            QString::fromLatin1(address.toEncoded(QUrl::FullyEncoded)), QString::fromUtf8(json))) {
        *error = describeFailure(request);
        return false;
    }
    *body = request.responseText();
    return true;
}

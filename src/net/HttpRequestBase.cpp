#include "HttpRequestBase.h"

#include "NetworkAccess.h"

HttpRequestBase::HttpRequestBase(QObject* parent)
    : QObject(parent)
{ }

QNetworkAccessManager* HttpRequestBase::manager()
{
    // Asked for at each use: a request serves the thread that calls it.
    return NetworkAccess::pages();
}

int HttpRequestBase::errorCodeFor(int status, QNetworkReply::NetworkError error)
{
    if (status == 403)
        return Forbidden;
    // A success status followed by a failure (a cut connection) is judged by the failure.
    const bool answeredWell = status >= 200 && status < 300;
    if (status != 0 && !answeredWell)
        return UnsupportedUrl;
    switch (error) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::UnknownNetworkError:
        return NetworkError;
    case QNetworkReply::TimeoutError:
        return TimedOut;
    default:
        return UnsupportedUrl;
    }
}

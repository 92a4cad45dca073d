#include "HttpRequestBase.h"

#include "CookieJar.h"
#include "NetworkSession.h"

#include <QNetworkAccessManager>

HttpRequestBase::HttpRequestBase(QObject* parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    if (CookieJar* jar = NetworkSession::cookieJar()) {
        m_manager->setCookieJar(jar);
        // The jar belongs to the application: the manager must never delete it.
        if (jar->parent() == m_manager)
            jar->setParent(nullptr);
    }
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

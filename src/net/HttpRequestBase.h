#pragma once

#include "app/KObject.h"

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkReply>
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

// Common ground of the HTTP requests: the calling thread's page manager (shared by every request
// of the thread, with the process-wide cookie jar), the body and status of the last reply, the
// event loop that blocks the calling thread, and the mapping of failures to error codes.
class HttpRequestBase : public QObject, public KObject
{
    Q_OBJECT
public:
    explicit HttpRequestBase(QObject* parent = nullptr);

    int httpStatus() const { return m_status; }
    QUrl requestAddress() const { return m_requestAddress; }
    bool useCache() const { return m_useCache; }
    void setUseCache(bool useCache) { m_useCache = useCache; }
    int redirectCount() const { return m_redirectCount; }

    // The error code for a finished reply: 403 gives 5, any other failing HTTP status 2;
    // otherwise unreachable or lost hosts give 4, Qt's own time-out 6, anything else 2.
    static int errorCodeFor(int status, QNetworkReply::NetworkError error);

public slots:
    virtual void onAbort() = 0;

signals:
    void abortInternal();

protected:
    static QNetworkAccessManager* manager();
    void incrementRedirectCount() { ++m_redirectCount; }

    QByteArray m_body;
    QUrl m_requestAddress;
    int m_status = 0;
    QEventLoop m_eventLoop;

private:
    bool m_useCache = true;
    int m_redirectCount = 0;
};

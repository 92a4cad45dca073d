#include "RemoteFileIdentity.h"

#include "net/HttpSemantics.h"

#include <QNetworkReply>

RemoteFileIdentity RemoteFileIdentity::of(const QNetworkReply* reply)
{
    RemoteFileIdentity identity;
    if (!reply)
        return identity;
    identity.etag = reply->rawHeader("ETag").trimmed();
    identity.lastModified = reply->rawHeader("Last-Modified").trimmed();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 206) {
        identity.length
            = HttpSemantics::ContentRange::parse(reply->rawHeader("Content-Range")).total;
    } else {
        bool ok = false;
        const qint64 length = reply->rawHeader("Content-Length").trimmed().toLongLong(&ok);
        identity.length = ok ? length : -1;
    }
    return identity;
}

QByteArray RemoteFileIdentity::ifRangeValue() const
{
    // A weak ETag may not be used for ranges; the date is the fallback then.
    if (!etag.isEmpty() && !etag.startsWith("W/"))
        return etag;
    return lastModified;
}

bool RemoteFileIdentity::matches(const RemoteFileIdentity& answer) const
{
    if (!etag.isEmpty() && !answer.etag.isEmpty() && etag != answer.etag)
        return false;
    if (!lastModified.isEmpty() && !answer.lastModified.isEmpty()
        && lastModified != answer.lastModified)
        return false;
    return length < 0 || answer.length < 0 || length == answer.length;
}

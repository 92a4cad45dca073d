#include "ReplySizeLimit.h"

#include <QNetworkReply>

namespace ReplySizeLimit {

namespace {

const char* const kExceededProperty = "kestrofanBodyTooLarge";

void abandon(QNetworkReply* reply, qint64 maxBytes)
{
    if (reply->property(kExceededProperty).toBool() || reply->isFinished())
        return;
    qWarning("ReplySizeLimit: the answer of %s is larger than %lld bytes; abandoned",
        qUtf8Printable(reply->url().toDisplayString()), maxBytes);
    reply->setProperty(kExceededProperty, true);
    reply->abort();
}

} // namespace

void apply(QNetworkReply* reply, qint64 maxBytes)
{
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxBytes] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > maxBytes)
            abandon(reply, maxBytes);
    });
    // Nobody reads before the end, so what is available is all that was received.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, maxBytes] {
        if (reply->bytesAvailable() > maxBytes)
            abandon(reply, maxBytes);
    });
    QObject::connect(
        reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64) {
            if (received > maxBytes)
                abandon(reply, maxBytes);
        });
}

bool exceeded(const QNetworkReply* reply)
{
    return reply->property(kExceededProperty).toBool();
}

} // namespace ReplySizeLimit

#include "FormHelper.h"

#include "net/NetworkAccess.h"
#include "net/ReplySizeLimit.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

FormHelper::FormHelper(QObject* parent)
    : QObject(parent)
{ }

QString FormHelper::fallbackImagePath()
{
    return QStringLiteral(":/images/resources/images/Minimalistic_gaussian_blur_2560x1600.png");
}

void FormHelper::loadImage(const QUrl& address)
{
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    QNetworkReply* reply = NetworkAccess::pages()->get(request);
    ReplySizeLimit::apply(reply, ReplySizeLimit::kPictureBytes);
    // The manager is shared: a helper that goes away takes its unfinished replies along.
    reply->setParent(this);
    connect(reply, &QNetworkReply::finished, this, &FormHelper::pixmapLoaded);
}

void FormHelper::pixmapLoaded()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    QImage image;
    if (reply->error() == QNetworkReply::NoError) {
        QByteArray body = reply->readAll();
        QBuffer buffer(&body);
        QImageReader reader(&buffer);
        image = reader.read();
    }
    if (image.isNull())
        image.load(fallbackImagePath());
    emit finished(image);
    reply->deleteLater();
}

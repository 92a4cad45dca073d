#include "FormHelper.h"

#include "app/AppPaths.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>

FormHelper::FormHelper(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    auto* cache = new QNetworkDiskCache(m_network);
    cache->setCacheDirectory(AppPaths::cacheLocation());
    m_network->setCache(cache);
}

QString FormHelper::fallbackImagePath()
{
    return QStringLiteral(":/images/resources/images/Minimalistic_gaussian_blur_2560x1600.png");
}

void FormHelper::loadImage(const QUrl& address)
{
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, &FormHelper::pixmapLoaded);
    connect(reply, &QNetworkReply::sslErrors, this, &FormHelper::onSSLErrors);
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

void FormHelper::onSSLErrors(const QList<QSslError>& errors)
{
    Q_UNUSED(errors)
    if (auto* reply = qobject_cast<QNetworkReply*>(sender()))
        reply->ignoreSslErrors();
}

#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QSslError>

class QNetworkAccessManager;

// Loads a picture (a thumbnail, an avatar) asynchronously through the disk cache. Anything
// that does not arrive as a decodable image gives the fallback picture instead.
class FormHelper : public QObject
{
    Q_OBJECT
public:
    explicit FormHelper(QObject* parent = nullptr);

    void loadImage(const QUrl& address);
    static QString fallbackImagePath();

signals:
    // Widgets make their pixmap from it; the core has no pixmaps.
    void finished(const QImage& image);

private slots:
    void pixmapLoaded();
    void onSSLErrors(const QList<QSslError>& errors);

private:
    QNetworkAccessManager* m_network;
};

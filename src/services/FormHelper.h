#pragma once

#include <QImage>
#include <QList>
#include <QObject>

// Loads a picture (a thumbnail, an avatar) asynchronously through the thread's page manager and
// its disk cache. Anything that does not arrive as a decodable image, or passes the size bound
// of pictures, gives the fallback picture instead.
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
};

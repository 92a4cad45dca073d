#pragma once

#include <QObject>

// Turns the platform's request to open an address into a signal for the main window.
class FileOpenEventFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The text a file-open event of this URL delivers, repaired and percent-decoded.
    static QString addressFromUrl(const QUrl& url);

signals:
    void urlOpenedByExternalURLHandler(const QString& url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

#pragma once

#include "app/MediaDescriptor.h"

#include <QObject>
#include <QPointer>
#include <QString>

class MediaDataFetcher;
class MediaItem;
class MediaServices;

// Turns a bare page address (address bar, "kestrofan:" address, command line) into a media
// item by finding the service that handles it: the first loaded service that claims it, else
// the generic service. finished() hands over the item, or null when nothing could be read.
class DownloadInitiator : public QObject
{
    Q_OBJECT
public:
    explicit DownloadInitiator(MediaServices* services, QObject* parent = nullptr);
    ~DownloadInitiator() override;

    // False (and no finished()) when no service handles the address.
    bool initiate(const QString& pageUrl, MediaDescriptor::MediaType targetType);
    // The name of the service that handles the address; empty when none does.
    QString serviceFor(const QString& pageUrl) const;
    // Why the last initiation gave no item.
    QString errorText() const { return m_errorText; }

signals:
    // The item is the receiver's to keep; null when the service could not read the page.
    void finished(MediaItem* item);

public slots:
    void mediaItemFetched();

private:
    MediaServices* m_services;
    MediaDataFetcher* m_fetcher = nullptr;
    MediaDescriptor::MediaType m_targetType = MediaDescriptor::Video;
    QString m_errorText;
};

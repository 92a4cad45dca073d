#pragma once

#include "app/MediaDescriptor.h"

#include "services/MediaItem.h"

#include <QObject>
#include <QString>

#include <optional>

class BinaryHelpers;
class MediaDataFetcher;
class MediaServices;
class MediaURLFetcher;
class ProcessPool;

// Turns a bare page address (address bar, "kestrofan:" address, command line) into a media
// item by finding the service that handles it: the first loaded service that claims it, else
// the generic service. finished() follows with the item, or none when nothing could be read.
class DownloadInitiator : public QObject
{
    Q_OBJECT
public:
    explicit DownloadInitiator(MediaServices* services, QObject* parent = nullptr);
    ~DownloadInitiator() override;

    // With these, a page of the generic service has its streams extracted while it is read:
    // both ask the download helper about the same page, and need not wait for each other.
    void extractAhead(const BinaryHelpers* helpers, ProcessPool* processPool);
    // The extraction started by the last initiation, running or done; the caller's to keep
    // (DownloadList::startDownload takes it). Null when none was started.
    MediaURLFetcher* takeExtraction();

    // False (and no finished()) when no service handles the address.
    bool initiate(const QString& pageUrl, MediaDescriptor::MediaType targetType);
    // The name of the service that handles the address; empty when none does.
    QString serviceFor(const QString& pageUrl) const;
    // Why the last initiation gave no item.
    QString errorText() const { return m_errorText; }
    // The item of the last initiation, with the target type set; none when the service could
    // not read the page.
    const std::optional<MediaItem>& mediaItem() const { return m_item; }

signals:
    void finished();

public slots:
    void mediaItemFetched();

private:
    MediaServices* m_services;
    MediaDataFetcher* m_fetcher = nullptr;
    MediaURLFetcher* m_extraction = nullptr;
    const BinaryHelpers* m_helpers = nullptr;
    ProcessPool* m_processPool = nullptr;
    MediaDescriptor::MediaType m_targetType = MediaDescriptor::Video;
    std::optional<MediaItem> m_item;
    QString m_errorText;
};

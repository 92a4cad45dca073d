#pragma once

#include "MediaItem.h"
#include "SearchParams.h"

#include <QString>

#include <optional>

class MediaService;
class MediaServices;
class PageDescriber;

// Reads one media item: fetches the service's media data address and lets the script read
// it. For the generic service the download helper describes the page instead.
class MediaDataReader
{
public:
    // The service is looked up now, on the creating thread.
    MediaDataReader(
        const MediaServices* services, const SearchParams& params, const QString& serviceName);

    // Blocking; none when the service is unknown or the fetch or the script failed, with the
    // reason in errorText().
    std::optional<MediaItem> read();
    QString errorText() const { return m_errorText; }

private:
    std::optional<MediaItem> readThroughHelper();
    std::optional<MediaItem> readMediaData(const QString& content);
    std::optional<MediaItem> failed(const QString& reason);

    SearchParams m_params;
    QString m_serviceName;
    MediaService* m_service;
    const PageDescriber* m_pageDescriber;
    QString m_errorText;
};

#include "PlaylistReader.h"

#include "MediaService.h"
#include "MediaServices.h"
#include "PlaylistFeed.h"
#include "ServicePageRequest.h"

PlaylistReader::PlaylistReader(
    const MediaServices* services, const SearchParams& params, const QString& serviceName)
    : m_params(params)
    , m_serviceName(serviceName)
    , m_service(services ? services->service(serviceName) : nullptr)
{ }

QList<PlaylistItem> PlaylistReader::read()
{
    QString content;
    QString fetchError;
    if (!m_service
        || !ServicePageRequest::get(
            *m_service, m_service->getPlaylistsFeedURL(m_params), &content, &fetchError)) {
        return {};
    }
    const std::optional<PlaylistFeed> feed = m_service->getPlaylistsData(content);
    return feed ? feed->items() : QList<PlaylistItem>();
}

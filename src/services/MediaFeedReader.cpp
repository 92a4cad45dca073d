#include "MediaFeedReader.h"

#include "MediaFeed.h"
#include "MediaService.h"
#include "MediaServices.h"
#include "ServicePageRequest.h"

#include <QCoreApplication>

MediaFeedReader::MediaFeedReader(
    const MediaServices* services, const SearchParams& params, const QString& serviceName)
    : m_params(params)
    , m_serviceName(serviceName)
    , m_service(services ? services->service(serviceName) : nullptr)
{
    if (m_service) {
        m_pageSize = m_service->itemsPerPage();
        m_searchByPost = m_service->searchHttpMethod() == ServiceSettings::Post;
    }
}

QList<MediaItem> MediaFeedReader::readSearchFeed(int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    const QUrl address = m_service->getSearchFeedURL(m_params, pageNo, m_pageSize, pageToken);
    if (!m_searchByPost)
        return readFeed(address, pageNo, true);
    // Always posted as JSON, whatever body format the plugin declares.
    const QByteArray body = m_service->getSearchPOSTBody(m_params);
    return readFeed(address, pageNo, true, &body);
}

QList<MediaItem> MediaFeedReader::readFavoritesFeed(int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    return readFeed(m_service->getFavoritesFeedURL(m_params, pageNo, m_pageSize, pageToken), pageNo,
        !m_service->userFeedsDependsOnUserData());
}

QList<MediaItem> MediaFeedReader::readLikesFeed(int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    return readFeed(
        m_service->getLikesFeedURL(m_params, pageNo, m_pageSize, pageToken), pageNo, true);
}

QList<MediaItem> MediaFeedReader::readRelatedFeed(int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    return readFeed(
        m_service->getRelatedFeedURL(m_params, pageNo, m_pageSize, pageToken), pageNo, true);
}

QList<MediaItem> MediaFeedReader::readUploadsFeed(int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    return readFeed(m_service->getUploadsFeedURL(m_params, pageNo, m_pageSize, pageToken), pageNo,
        !m_service->userFeedsDependsOnUserData());
}

QList<MediaItem> MediaFeedReader::readPlaylistFeed(int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    return readFeed(
        m_service->getPlaylistFeedURL(m_params, pageNo, m_pageSize, pageToken), pageNo, true);
}

QList<MediaItem> MediaFeedReader::readPlaylistFeed(
    const QString& playlistId, const QString& userId, int pageNo, const QString& pageToken)
{
    if (!m_service)
        return noService();
    return readFeed(
        m_service->getPlaylistFeedURL(playlistId, userId, pageNo, m_pageSize, pageToken), pageNo,
        true);
}

QList<MediaItem> MediaFeedReader::readFeed(
    const QUrl& address, int pageNo, bool keepFacts, const QByteArray* postBody)
{
    m_errorText.clear();
    QString content;
    QString error;
    const bool fetched = postBody
        ? ServicePageRequest::postJson(address, *postBody, &content, &error)
        : ServicePageRequest::get(*m_service, address, &content, &error);
    if (!fetched)
        return failed(error);
    const std::optional<MediaFeed> feed = m_service->getMediaFeed(content, pageNo, m_pageSize);
    if (!feed)
        return failed(QCoreApplication::translate(
            "MediaFeedReader", "The service's answer could not be read as a feed."));
    if (keepFacts) {
        m_totalResults = feed->totalResults();
        m_feedTitle = feed->feedTitle();
        m_nextPageToken = feed->nextPageToken();
        m_prevPageToken = feed->prevPageToken();
    }
    return feed->items();
}

QList<MediaItem> MediaFeedReader::failed(const QString& reason)
{
    m_errorText = reason;
    return {};
}

QList<MediaItem> MediaFeedReader::noService()
{
    return failed(
        QCoreApplication::translate("MediaFeedReader", "No service named \"%1\" is loaded.")
            .arg(m_serviceName));
}

#include "PageKinds.h"

#include "services/MediaDataFetcher.h"
#include "services/MediaFeed.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/UserDataFetcher.h"

EmptyPageData::EmptyPageData(
    const PageDescriptor& descriptor, const SearchParams& params, QObject* parent)
    : PageData(descriptor, params, nullptr, parent)
{
    setTitle(tr("Untitled"));
}

UserPageData::UserPageData(const PageDescriptor& descriptor, const SearchParams& params,
    const MediaServices* services, QObject* parent)
    : PageData(descriptor, params, services, parent)
{
    setTitle(descriptor.userId);
}

void UserPageData::load()
{
    if (m_userFetcher)
        return;
    m_userFetcher = new UserDataFetcher(services(), searchParams(), serviceName(), this);
    connect(m_userFetcher, &UserDataFetcher::userDataReady, this, &UserPageData::onUserDataReady);
    m_userFetcher->start();
}

void UserPageData::onUserDataReady()
{
    // The playlists arrive on their own; only the user decides when the page can show.
    disconnect(
        m_userFetcher, &UserDataFetcher::userDataReady, this, &UserPageData::onUserDataReady);
    const MediaService* service = services()->service(serviceName());
    if (service && m_userFetcher->userItem()) {
        if (service->supportsUploads())
            addFeedFetcher(serviceName(), FeedKind::Uploads);
        if (service->supportsFavorites())
            addFeedFetcher(serviceName(), FeedKind::Favorites);
        if (service->supportsLikes())
            addFeedFetcher(serviceName(), FeedKind::Likes);
    }
    emit dataReady();
}

MediaPageData::MediaPageData(const PageDescriptor& descriptor, const SearchParams& params,
    const MediaServices* services, QObject* parent)
    : PageData(descriptor, params, services, parent)
{
    setTitle(tr("Loading..."));
}

void MediaPageData::load()
{
    if (m_mediaFetcher)
        return;
    m_mediaFetcher = new MediaDataFetcher(services(), searchParams(), serviceName(), this);
    m_mediaFetcher->start();
    const MediaService* service = services()->service(serviceName());
    if (service && service->supportsRelated())
        addFeedFetcher(serviceName(), FeedKind::Related);
    if (service && service->supportsPlaylists() && !descriptor().playlistId.isEmpty())
        addFeedFetcher(serviceName(), FeedKind::Playlist);
    emit dataReady();
}

PlaylistPageData::PlaylistPageData(const PageDescriptor& descriptor, const SearchParams& params,
    const MediaServices* services, QObject* parent)
    : PageData(descriptor, params, services, parent)
{
    setTitle(tr("Playlist: ") + params.title());
}

void PlaylistPageData::load()
{
    const MediaService* service = services()->service(serviceName());
    if (feedFetchers().isEmpty() && service && service->supportsPlaylists())
        addFeedFetcher(serviceName(), FeedKind::Playlist);
    emit dataReady();
}

SearchPageData::SearchPageData(const PageDescriptor& descriptor, const SearchParams& params,
    const MediaServices* services, const QStringList& searchServices, QObject* parent)
    : PageData(descriptor, params, services, parent)
    , m_searchServices(searchServices)
{
    const QString words
        = descriptor.searchQuery.isEmpty() ? params.query() : descriptor.searchQuery;
    //: (Search) Results for (something)
    setTitle(tr("Results for") + QStringLiteral(" \"") + words + QLatin1Char('"'));
}

void SearchPageData::load()
{
    if (!feedFetchers().isEmpty())
        return;
    if (!descriptor().allServices) {
        addFeedFetcher(serviceName(), FeedKind::Search);
    } else {
        const QMap<QString, MediaService*> all = services()->services();
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            if (it.value()->supportsSearch() && m_searchServices.contains(it.key()))
                addFeedFetcher(it.key(), FeedKind::Search);
        }
    }
    emit dataReady();
}

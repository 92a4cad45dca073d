#include "FeedKinds.h"

#include "services/MediaFeed.h"
#include "services/MediaService.h"

namespace {

const QMap<QString, int>& kinds()
{
    static const QMap<QString, int> byName {
        { QStringLiteral("uploads"), FeedKind::Uploads },
        { QStringLiteral("favorites"), FeedKind::Favorites },
        { QStringLiteral("likes"), FeedKind::Likes },
        { QStringLiteral("related"), FeedKind::Related },
        { QStringLiteral("playlist"), FeedKind::Playlist },
    };
    return byName;
}

} // namespace

int FeedKinds::byName(const QString& name)
{
    return kinds().value(name, -1);
}

QStringList FeedKinds::names()
{
    return kinds().keys();
}

bool FeedKinds::offers(const MediaService& service, int kind)
{
    switch (kind) {
    case FeedKind::Uploads:
        return service.supportsUploads();
    case FeedKind::Favorites:
        return service.supportsFavorites();
    case FeedKind::Likes:
        return service.supportsLikes();
    case FeedKind::Related:
        return service.supportsRelated();
    case FeedKind::Playlist:
        return service.supportsPlaylists();
    default:
        return false;
    }
}

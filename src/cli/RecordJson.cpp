#include "RecordJson.h"

#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"
#include "services/MediaService.h"
#include "services/PageDescriptor.h"
#include "services/PlaylistItem.h"
#include "services/UserItem.h"

#include <QJsonArray>

#include <algorithm>

QJsonObject RecordJson::media(const MediaItem& item)
{
    return QJsonObject {
        { QStringLiteral("id"), item.id() },
        { QStringLiteral("permaURL"), item.permaUrl() },
        { QStringLiteral("title"), item.title() },
        // The rating's own digits (4.9), not its binary expansion (4.90000009537).
        { QStringLiteral("rating"), QString::number(item.rating()).toDouble() },
        { QStringLiteral("likes"), item.likes() },
        { QStringLiteral("views"), item.views() },
        { QStringLiteral("smallThumbURL"), item.smallThumbUrl() },
        { QStringLiteral("thumbURL"), item.thumbUrl() },
        { QStringLiteral("hdThumbURL"), item.hdThumbUrl() },
        { QStringLiteral("userName"), item.userName() },
        { QStringLiteral("userDisplayName"), item.userDisplayName() },
        { QStringLiteral("userId"), item.userId() },
        { QStringLiteral("userPermaURL"), item.userPermaUrl() },
        { QStringLiteral("durationSeconds"), item.durationSeconds() },
        { QStringLiteral("description"), item.description() },
        { QStringLiteral("isoDate"), item.isoDate() },
        { QStringLiteral("hasHD"), item.hasHD() },
        { QStringLiteral("streamingNow"), item.isStreamingNow() },
        { QStringLiteral("serviceName"), item.serviceName() },
    };
}

QJsonObject RecordJson::user(const UserItem& user)
{
    return QJsonObject {
        { QStringLiteral("userName"), user.userName() },
        { QStringLiteral("userId"), user.userId() },
        { QStringLiteral("channelId"), user.channelId() },
        { QStringLiteral("subscriberCount"), user.subscriberCount() },
        { QStringLiteral("location"), user.location() },
        { QStringLiteral("imageURL"), user.imageUrl() },
        { QStringLiteral("summary"), user.summary() },
        { QStringLiteral("uploadsCount"), user.uploadsCount() },
        { QStringLiteral("favoritesCount"), user.favoritesCount() },
        { QStringLiteral("permaURL"), user.permaUrl() },
        { QStringLiteral("serviceName"), user.serviceName() },
    };
}

QJsonObject RecordJson::playlist(const PlaylistItem& playlist)
{
    return QJsonObject {
        { QStringLiteral("id"), playlist.id() },
        { QStringLiteral("name"), playlist.name() },
        { QStringLiteral("userId"), playlist.userId() },
        { QStringLiteral("itemCount"), playlist.itemCount() },
        { QStringLiteral("thumbURL"), playlist.thumbUrl() },
        { QStringLiteral("permaURL"), playlist.permaUrl() },
    };
}

QJsonObject RecordJson::service(const MediaService& service, bool isGeneric)
{
    QStringList domains = service.validDomains().values();
    std::sort(domains.begin(), domains.end());
    QJsonArray feeds;
    const QList<std::pair<bool, const char*>> offered {
        { service.supportsSearch(), "search" },
        { service.supportsUploads(), "uploads" },
        { service.supportsFavorites(), "favorites" },
        { service.supportsLikes(), "likes" },
        { service.supportsRelated(), "related" },
        { service.supportsPlaylists(), "playlists" },
    };
    for (const auto& [supported, name] : offered) {
        if (supported)
            feeds.append(QLatin1String(name));
    }
    return QJsonObject {
        { QStringLiteral("name"), service.serviceName() },
        { QStringLiteral("key"), service.serviceKey() },
        { QStringLiteral("generic"), isGeneric },
        { QStringLiteral("revision"), service.revision() },
        { QStringLiteral("validDomains"), QJsonArray::fromStringList(domains) },
        { QStringLiteral("feeds"), feeds },
        { QStringLiteral("feedsHasPaging"), service.feedsHasPaging() },
        { QStringLiteral("itemsPerPage"), service.itemsPerPage() },
        { QStringLiteral("audioOnly"), service.isAudioOnly() },
        { QStringLiteral("authentication"), service.httpAuthMethodName() },
    };
}

QJsonObject RecordJson::page(const PageDescriptor& page)
{
    QJsonObject object {
        { QStringLiteral("kind"), int(page.kind) },
        { QStringLiteral("kindName"), PageDescriptor::kindName(page.kind) },
        { QStringLiteral("serviceName"), page.serviceName },
        { QStringLiteral("query"), page.query },
    };
    if (!page.userId.isEmpty())
        object.insert(QStringLiteral("userId"), page.userId);
    if (!page.mediaId.isEmpty())
        object.insert(QStringLiteral("mediaId"), page.mediaId);
    if (!page.playlistId.isEmpty())
        object.insert(QStringLiteral("playlistId"), page.playlistId);
    if (page.kind == PageDescriptor::Search) {
        object.insert(QStringLiteral("searchQuery"), page.searchQuery);
        object.insert(QStringLiteral("allServices"), page.allServices);
    }
    return object;
}

QJsonObject RecordJson::feed(const FeedDataFetcher& fetcher)
{
    QJsonArray items;
    for (const MediaItem& item : fetcher.items())
        items.append(media(item));
    return QJsonObject {
        { QStringLiteral("serviceName"), fetcher.serviceName() },
        { QStringLiteral("feedTitle"), fetcher.feedName() },
        { QStringLiteral("page"), fetcher.pageNo() },
        { QStringLiteral("pageSize"), fetcher.pageSize() },
        { QStringLiteral("pageCount"), fetcher.pageCount() },
        { QStringLiteral("totalResults"), fetcher.totalResults() },
        { QStringLiteral("nextPageToken"), fetcher.nextPageToken() },
        { QStringLiteral("prevPageToken"), fetcher.prevPageToken() },
        { QStringLiteral("failed"), fetcher.hasFailed() },
        { QStringLiteral("items"), items },
    };
}

QString RecordJson::durationText(int seconds)
{
    if (seconds < 0)
        return QStringLiteral("--:--");
    const int hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutesSeconds) : minutesSeconds;
}

QString RecordJson::mediaLine(const MediaItem& item)
{
    QString line = item.title() + QStringLiteral(" [") + durationText(item.durationSeconds())
        + QLatin1Char(']');
    if (!item.userDisplayName().isEmpty() || !item.userName().isEmpty())
        line += QStringLiteral(" by ")
            + (item.userDisplayName().isEmpty() ? item.userName() : item.userDisplayName());
    if (!item.permaUrl().isEmpty())
        line += QStringLiteral("\n    ") + item.permaUrl();
    return line;
}

#include "ScriptRecords.h"

#include "MediaFeed.h"
#include "MediaItem.h"
#include "PlaylistFeed.h"
#include "PlaylistItem.h"
#include "ScriptValues.h"
#include "UserItem.h"

#include <QJSValue>
#include <QtDebug>

using namespace ScriptValues;

namespace {

void logEntryError(const QJSValue& object, const QString& serviceName, const char* what)
{
    const QString error = text(object, QStringLiteral("error"));
    if (!error.isEmpty()) {
        qCritical().noquote() << QStringLiteral("Error while reading %1 %2: %3")
                                     .arg(serviceName, QLatin1String(what), error);
    }
}

int arrayLength(const QJSValue& array)
{
    if (!array.isArray())
        return 0;
    return qMax(0, integer(array, QStringLiteral("length")));
}

} // namespace

MediaItem ScriptRecords::mediaItem(const QJSValue& object, const QString& serviceName)
{
    MediaItem item(serviceName);
    if (!isAbsent(object.property(QStringLiteral("id"))))
        item.setId(text(object, QStringLiteral("id")));
    item.setPermaUrl(text(object, QStringLiteral("permaURL")));
    item.setTitle(text(object, QStringLiteral("title")));
    item.setRating(decimal(object, QStringLiteral("rating")));
    item.setLikes(integer(object, QStringLiteral("likes")));
    item.setViews(integer(object, QStringLiteral("views")));
    item.setSmallThumbUrl(text(object, QStringLiteral("smallThumbURL")));
    item.setThumbUrl(text(object, QStringLiteral("thumbURL")));
    item.setHdThumbUrl(text(object, QStringLiteral("hdThumbURL")));
    item.setUserName(text(object, QStringLiteral("userName")));
    item.setUserDisplayName(text(object, QStringLiteral("userDisplayName")));
    item.setUserId(text(object, QStringLiteral("userId")));
    item.setUserPermaUrl(text(object, QStringLiteral("userPermaURL")));
    item.setDurationSeconds(integer(object, QStringLiteral("durationSeconds")));
    item.setDescription(text(object, QStringLiteral("description")));
    item.setIsoDate(isoDate(text(object, QStringLiteral("isoDate"))));
    item.setThumbSizeHQ(
        integer(object, QStringLiteral("thumbWHQ")), integer(object, QStringLiteral("thumbHHQ")));
    item.setThumbSize(
        integer(object, QStringLiteral("thumbW")), integer(object, QStringLiteral("thumbH")));
    item.setSmallThumbSize(integer(object, QStringLiteral("thumbWSmall")),
        integer(object, QStringLiteral("thumbHSmall")));
    item.setHasHD(boolean(object, QStringLiteral("hasHD")));
    item.setStreamingNow(boolean(object, QStringLiteral("streamingNow")));
    logEntryError(object, serviceName, "media item");
    return item;
}

UserItem ScriptRecords::userItem(const QJSValue& object, const QString& serviceName)
{
    UserItem user(serviceName);
    user.setUserName(text(object, QStringLiteral("userName")));
    user.setUserId(text(object, QStringLiteral("userId")));
    user.setChannelId(text(object, QStringLiteral("channelId")));
    user.setSubscriberCount(integer(object, QStringLiteral("subscriberCount")));
    user.setLocation(text(object, QStringLiteral("location")));
    user.setImageUrl(text(object, QStringLiteral("imageURL")));
    user.setSummary(text(object, QStringLiteral("summary")));
    user.setUploadsCount(integer(object, QStringLiteral("uploadsCount")));
    user.setFavoritesCount(integer(object, QStringLiteral("favoritesCount")));
    user.setPermaUrl(text(object, QStringLiteral("permaURL")));
    return user;
}

PlaylistItem ScriptRecords::playlistItem(const QJSValue& object, const QString& serviceName)
{
    PlaylistItem playlist(serviceName);
    playlist.setId(text(object, QStringLiteral("id")));
    playlist.setName(text(object, QStringLiteral("name")));
    playlist.setUserId(text(object, QStringLiteral("userId")));
    playlist.setItemCount(integer(object, QStringLiteral("itemCount")));
    playlist.setThumbUrl(text(object, QStringLiteral("thumbURL")));
    playlist.setPermaUrl(text(object, QStringLiteral("permaURL")));
    logEntryError(object, serviceName, "playlist item");
    return playlist;
}

PlaylistFeed ScriptRecords::playlistFeed(const QJSValue& object, const QString& serviceName)
{
    PlaylistFeed feed;
    feed.setItemCount(integer(object, QStringLiteral("itemCount")));
    const QJSValue entries = object.property(QStringLiteral("feed"));
    const int count = arrayLength(entries);
    for (int i = 0; i < count; ++i)
        feed.appendItem(playlistItem(entries.property(quint32(i)), serviceName));
    return feed;
}

ScriptRecords::EntryRange ScriptRecords::clientPage(
    int count, bool pagedByService, int pageNo, int pageSize)
{
    if (pagedByService || pageSize <= 0)
        return { 0, count };
    const qint64 begin = qint64(qMax(pageNo, 1) - 1) * pageSize;
    if (begin >= count)
        return { 0, count };
    return { int(begin), int(qMin<qint64>(begin + pageSize, count)) };
}

MediaFeed ScriptRecords::mediaFeed(const QJSValue& object, const QString& serviceName,
    bool pagedByService, int pageNo, int pageSize)
{
    MediaFeed feed;
    feed.setFeedTitle(text(object, QStringLiteral("feedTitle")));
    feed.setTotalResults(integer(object, QStringLiteral("totalResults")));
    feed.setNextPageToken(text(object, QStringLiteral("nextPageToken")));
    feed.setPrevPageToken(text(object, QStringLiteral("prevPageToken")));
    const QJSValue entries = object.property(QStringLiteral("feed"));
    const EntryRange range = clientPage(arrayLength(entries), pagedByService, pageNo, pageSize);
    for (int i = range.begin; i < range.end; ++i)
        feed.appendItem(mediaItem(entries.property(quint32(i)), serviceName));
    return feed;
}

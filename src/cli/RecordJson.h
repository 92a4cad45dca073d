#pragma once

#include <QJsonObject>
#include <QString>

class FeedDataFetcher;
class MediaItem;
class MediaService;
class PlaylistItem;
class UserItem;
struct PageDescriptor;

// The browse commands' records as JSON objects (the property names plugins use) and as lines
// for people.
namespace RecordJson {

QJsonObject media(const MediaItem& item);
QJsonObject user(const UserItem& user);
QJsonObject playlist(const PlaylistItem& playlist);
QJsonObject service(const MediaService& service, bool isGeneric);
QJsonObject page(const PageDescriptor& page);
// The feed's facts and its items.
QJsonObject feed(const FeedDataFetcher& fetcher);

QString mediaLine(const MediaItem& item);
QString durationText(int seconds);

} // namespace RecordJson

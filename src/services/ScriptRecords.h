#pragma once

#include "MediaFeed.h"
#include "MediaItem.h"
#include "PlaylistFeed.h"
#include "PlaylistItem.h"
#include "UserItem.h"

class QJSValue;

// Turns the plain objects that service scripts return into the application's records, by the
// fixed property names of the plugin contract.
namespace ScriptRecords {

// Logs the object's "error" text, if any, and still returns the item.
MediaItem mediaItem(const QJSValue& object, const QString& serviceName);
UserItem userItem(const QJSValue& object, const QString& serviceName);
PlaylistItem playlistItem(const QJSValue& object, const QString& serviceName);
PlaylistFeed playlistFeed(const QJSValue& object, const QString& serviceName);

// pagedByService false with a positive page size: the script returned the whole feed and the
// page is cut out here.
MediaFeed mediaFeed(const QJSValue& object, const QString& serviceName, bool pagedByService,
    int pageNo, int pageSize);

struct EntryRange
{
    int begin = 0;
    int end = 0;
};
// Which entries of an unpaged feed of "count" entries make up page "pageNo". A page past the
// end gives the whole feed.
EntryRange clientPage(int count, bool pagedByService, int pageNo, int pageSize);

} // namespace ScriptRecords

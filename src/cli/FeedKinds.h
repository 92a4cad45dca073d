#pragma once

#include <QMap>
#include <QString>

class MediaService;

// The feed kinds the commands name on the command line, and whether a service offers one.
namespace FeedKinds {

// "uploads", "favorites", "likes", "related" or "playlist" to FeedKind; -1 for any other.
int byName(const QString& name);
QStringList names();
bool offers(const MediaService& service, int kind);

} // namespace FeedKinds

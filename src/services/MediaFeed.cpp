#include "MediaFeed.h"

#include <QCoreApplication>

QString FeedKind::displayName(int kind)
{
    switch (kind) {
    case Uploads:
        return QCoreApplication::translate("FeedKind", "Uploads");
    case Favorites:
        return QCoreApplication::translate("FeedKind", "Favorites");
    case Search:
        return QCoreApplication::translate("FeedKind", "Search");
    case Related:
        return QCoreApplication::translate("FeedKind", "Related");
    case Likes:
        return QCoreApplication::translate("FeedKind", "Liked");
    default:
        return QCoreApplication::translate("FeedKind", "Unknown feed");
    }
}

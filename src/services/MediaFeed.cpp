#include "MediaFeed.h"

#include "MediaItem.h"

#include <QCoreApplication>

MediaFeed::MediaFeed()
    : m_items(new QList<MediaItem*>)
{ }

MediaFeed::~MediaFeed()
{
    qDeleteAll(*m_items);
    delete m_items;
}

QList<MediaItem*>* MediaFeed::takeItems()
{
    QList<MediaItem*>* items = m_items;
    m_items = new QList<MediaItem*>;
    return items;
}

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

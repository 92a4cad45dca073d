#include "PlaylistFeed.h"

#include "PlaylistItem.h"

PlaylistFeed::~PlaylistFeed()
{
    qDeleteAll(m_items);
}

QList<PlaylistItem*> PlaylistFeed::takeItems()
{
    QList<PlaylistItem*> items;
    items.swap(m_items);
    return items;
}

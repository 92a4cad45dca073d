#pragma once

#include "PlaylistItem.h"

#include <QList>

// A user's playlists as a script read them, by value.
class PlaylistFeed
{
public:
    int itemCount() const { return m_itemCount; }
    void setItemCount(int count) { m_itemCount = count; }
    const QList<PlaylistItem>& items() const { return m_items; }
    void appendItem(const PlaylistItem& item) { m_items.append(item); }

private:
    int m_itemCount = 0;
    QList<PlaylistItem> m_items;
};

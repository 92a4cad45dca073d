#pragma once

#include <QList>

class PlaylistItem;

// A user's playlists as a script read them. Owns its items until takeItems().
class PlaylistFeed
{
public:
    PlaylistFeed() = default;
    ~PlaylistFeed();
    PlaylistFeed(const PlaylistFeed&) = delete;
    PlaylistFeed& operator=(const PlaylistFeed&) = delete;

    int itemCount() const { return m_itemCount; }
    void setItemCount(int count) { m_itemCount = count; }
    const QList<PlaylistItem*>& items() const { return m_items; }
    void appendItem(PlaylistItem* item) { m_items.append(item); }
    QList<PlaylistItem*> takeItems();

private:
    int m_itemCount = 0;
    QList<PlaylistItem*> m_items;
};

#include "MediaItem.h"

MediaItem::MediaItem(const QString& serviceName, QObject* parent)
    : QObject(parent)
{
    m.serviceName = serviceName;
}

MediaItem* MediaItem::clone() const
{
    auto* copy = new MediaItem(m.serviceName);
    copy->m = m;
    return copy;
}

void MediaItem::setId(const QString& id)
{
    m.id = id;
    m.idSet = true;
}

void MediaItem::setThumbSizeHQ(int width, int height)
{
    m.thumbWidthHQ = width;
    m.thumbHeightHQ = height;
}

void MediaItem::setThumbSize(int width, int height)
{
    m.thumbWidth = width;
    m.thumbHeight = height;
}

void MediaItem::setSmallThumbSize(int width, int height)
{
    m.smallThumbWidth = width;
    m.smallThumbHeight = height;
}

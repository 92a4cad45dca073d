#include "MediaItem.h"

MediaItem::MediaItem(const QString& serviceName)
{
    m.serviceName = serviceName;
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

#include "PlaylistItem.h"

PlaylistItem::PlaylistItem(const QString& serviceName)
    : m_serviceName(serviceName)
{ }

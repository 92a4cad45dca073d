#include "PlaylistItem.h"

PlaylistItem::PlaylistItem(const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
{ }

#include "UserItem.h"

UserItem::UserItem(const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
{ }

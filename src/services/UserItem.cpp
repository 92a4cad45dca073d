#include "UserItem.h"

UserItem::UserItem(const QString& serviceName)
    : m_serviceName(serviceName)
{ }

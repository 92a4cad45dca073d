#pragma once

#include <QMetaType>
#include <QString>

// A saved or visited page as the bookmarks and history lists hand it on: enough to open it
// again and to name it in a menu.
struct PageRecord
{
    QString title;
    QString url;
    QString serviceId;
    QString dateTime;
};

Q_DECLARE_METATYPE(PageRecord)

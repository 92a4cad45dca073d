#include "PageDescriptor.h"

QString PageDescriptor::kindName(Kind kind)
{
    switch (kind) {
    case User:
        return QStringLiteral("user");
    case Media:
        return QStringLiteral("media");
    case Playlist:
        return QStringLiteral("playlist");
    case Search:
        return QStringLiteral("search");
    case Empty:
        break;
    }
    return QStringLiteral("empty");
}

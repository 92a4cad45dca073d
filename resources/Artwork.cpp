#include "Artwork.h"

QList<int> Artwork::applicationIconSizes()
{
    return { KESTROFAN_ICON_SIZES };
}

QString Artwork::applicationIcon(int size)
{
    return QStringLiteral(":/images/resources/images/KestrofanIcon2-%1.png").arg(size);
}

#pragma once

#include <QList>
#include <QString>

// Where the program's own artwork is found among the compiled-in resources.
namespace Artwork {

// The sizes in which the application icon exists, smallest first.
QList<int> applicationIconSizes();
// ":/images/resources/images/KestrofanIcon2-<size>.png"
QString applicationIcon(int size);

} // namespace Artwork

#pragma once

#include <QString>

class KQLabel;
class MediaItem;
class QBoxLayout;
class QColor;
class QLabel;
class QToolButton;
class QWidget;

// The pieces a media item's card and list row are both made of.
namespace MediaItemParts {

// The title in bold, elided at the right to the width, the full title as tool tip.
QLabel* titleLabel(const MediaItem& item, int width, QWidget* parent);
QToolButton* playButton(QWidget* parent);
// The uploader's name; clickable when the item names a user page.
KQLabel* userLabel(const MediaItem& item, const QString& objectName, QWidget* parent);
// The rating dots ("rating") and the likes ("likesIcon", "likes"); a rating of 0 or less, a
// like count below 1 and a live stream show none.
void addRatingAndLikes(
    const MediaItem& item, const QColor& dotColor, QBoxLayout* layout, QWidget* parent);
// A count with the locale's digit grouping.
QString count(int number);

} // namespace MediaItemParts

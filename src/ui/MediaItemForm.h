#pragma once

#include "MediaItemViewBase.h"

// A media item as a card of the thumbnail grid: the 320 x 180 picture with its overlay, the
// title, the uploader, the age, the rating and the likes.
class MediaItemForm : public MediaItemViewBase
{
    Q_OBJECT
public:
    MediaItemForm(MediaItemFormController* controller, QWidget* parent = nullptr);
};

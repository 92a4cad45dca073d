#pragma once

#include "MediaItemViewBase.h"

// A media item as a row of the list view: the picture with its overlay beside the title,
// uploader, age, views, length, HD mark, rating, likes and the start of the description.
class MediaItemListForm : public MediaItemViewBase
{
    Q_OBJECT
public:
    MediaItemListForm(MediaItemFormController* controller, QWidget* parent = nullptr);
};

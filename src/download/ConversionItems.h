#pragma once

#include "convert/ConversionItem.h"

class MediaItem;

namespace ConversionItems {

// What a converter needs of a downloaded item: its target media type, and the format of
// the file that was fetched (the detected format).
ConversionItem fromMediaItem(const MediaItem& item, int format);

} // namespace ConversionItems

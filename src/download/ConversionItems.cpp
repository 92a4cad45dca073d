#include "ConversionItems.h"

#include "services/MediaItem.h"

ConversionItem ConversionItems::fromMediaItem(const MediaItem& item, int format)
{
    ConversionItem result;
    result.title = item.title();
    result.mediaType = item.targetMediaType();
    result.format = format;
    // Services do not report the audio bit rate; the converters then assume 192 kbit/s.
    result.audioBitrate = 0;
    result.description = item.description();
    result.sourceUrl = item.permaUrl();
    result.durationSeconds = item.durationSeconds() > 0 ? item.durationSeconds() : -1;
    return result;
}

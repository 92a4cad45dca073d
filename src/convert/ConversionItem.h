#pragma once

#include "app/MediaDescriptor.h"

#include <QString>

// What a converter needs to know about the downloaded media item. A value, so the converter
// running on a worker thread shares nothing with the item the download job keeps.
struct ConversionItem
{
    QString title;
    int mediaType = MediaDescriptor::Video;
    int format = -1; // MediaDescriptor::MediaFormat of the downloaded file
    int audioBitrate = 0; // kbit/s; 0 or less when the service did not say
    QString description;
    QString sourceUrl; // the media page address
    int durationSeconds = -1; // -1 when unknown
};

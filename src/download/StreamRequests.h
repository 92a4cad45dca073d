#pragma once

#include "MediaUrls.h"

#include <QList>
#include <QString>
#include <QUrl>

class MediaFileRequestBase;
class QObject;

// Makes the request that fetches what stream extraction found: one file, a list of segments,
// or a video stream and a separate audio stream one after the other. Each stream's own HTTP
// headers go with it.
namespace StreamRequests {

// One stream: a single address is a file, several are segments. Null without addresses.
MediaFileRequestBase* forStream(const QList<QUrl>& urls, const HttpSemantics::HeaderList& headers,
    const QString& baseName, int format, QObject* parent = nullptr);

// Video and audio (the audio's part files carry "_audio" after the base name), or the one
// stream there is. Null when there are no addresses at all.
MediaFileRequestBase* forMediaUrls(
    const MediaUrls& urls, const QString& baseName, int format, QObject* parent = nullptr);

} // namespace StreamRequests

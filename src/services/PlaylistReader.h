#pragma once

#include "PlaylistItem.h"
#include "SearchParams.h"

#include <QList>

class MediaService;
class MediaServices;

// Reads a user's playlists from the service's playlists address.
class PlaylistReader
{
public:
    PlaylistReader(
        const MediaServices* services, const SearchParams& params, const QString& serviceName);

    // Blocking; empty when anything failed.
    QList<PlaylistItem> read();

private:
    SearchParams m_params;
    QString m_serviceName;
    MediaService* m_service;
};

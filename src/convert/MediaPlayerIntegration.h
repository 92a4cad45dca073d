#pragma once

#include "ConversionOptions.h"

#include <QString>

// Hands finished files to the user's players: lists them in a playlist and opens them.
// Failures are logged, never shown: a missing player must not spoil a finished download.
class MediaPlayerIntegration
{
public:
    explicit MediaPlayerIntegration(const MediaPlayerOptions& options);

    // Appends the file to the extended M3U playlist named playlistName in the playlist folder
    // (the user's music folder unless the options name another), made when missing. The
    // display title and duration fill the entry's "#EXTINF" line. Safe on worker threads.
    bool addToMediaPlayerPlaylist(const QString& filePath, const QString& playlistName,
        const QString& displayTitle = QString(), int durationSeconds = -1) const;
    // The file the playlist of that name is kept in.
    QString playlistPath(const QString& playlistName) const;

    // The configured audio or video player, started on its own with the file as its one
    // argument; without one, the desktop's handler for the file. Returns at once; false when
    // nothing could be started.
    bool openMediaFile(const QString& filePath, bool isVideo) const;

private:
    MediaPlayerOptions m_options;
};

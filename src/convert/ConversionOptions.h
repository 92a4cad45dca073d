#pragma once

#include "app/MediaDescriptor.h"

#include <QString>

// The preferences that decide what happens with a finished file, read on the thread that
// owns the settings (fromPrefs()) and handed to code that runs on worker threads.
struct MediaPlayerOptions
{
    bool addAudioToPlaylist = false;
    bool addVideoToPlaylist = false;
    QString audioPlaylistName;
    QString videoPlaylistName;
    QString audioPlayerApp;
    QString videoPlayerApp;
    // Where playlists are kept; empty means the user's music folder.
    QString playlistDirectory;

    static MediaPlayerOptions fromPrefs();
};

struct ConversionOptions
{
    int preferredAudioFormat = MediaDescriptor::MP3;
    int preferredVideoFormat = MediaDescriptor::MP4;
    // 1: always convert to the preferred audio format; 2: keep AAC; 3: keep Vorbis.
    int preferredAudioConversion = 1;
    int threads = 1;
    // Where finished files go; empty means the parent of the downloaded file's folder.
    QString mediaPath;
    // The ffmpeg to run (the caller locates it).
    QString ffmpegPath;
    MediaPlayerOptions player;

    static ConversionOptions fromPrefs(const QString& ffmpegPath);
};

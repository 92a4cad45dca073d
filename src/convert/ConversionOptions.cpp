#include "ConversionOptions.h"

#include "app/Prefs.h"

MediaPlayerOptions MediaPlayerOptions::fromPrefs()
{
    MediaPlayerOptions options;
    options.addAudioToPlaylist = Prefs::addAudioToMediaPlayerPlaylist();
    options.addVideoToPlaylist = Prefs::addVideoToMediaPlayerPlaylist();
    options.audioPlaylistName = Prefs::mediaPlayerAudioPlaylistName();
    options.videoPlaylistName = Prefs::mediaPlayerVideoPlaylistName();
    options.audioPlayerApp = Prefs::audioPlayerApp();
    options.videoPlayerApp = Prefs::videoPlayerApp();
    return options;
}

ConversionOptions ConversionOptions::fromPrefs(const QString& ffmpegPath)
{
    ConversionOptions options;
    options.preferredAudioFormat = Prefs::preferredAudioFormat();
    options.preferredVideoFormat = Prefs::preferredVideoFormat();
    options.preferredAudioConversion = Prefs::preferredAudioConversion();
    options.threads = Prefs::threadsForMP4Conversion();
    options.mediaPath = Prefs::mediaPath();
    options.ffmpegPath = ffmpegPath;
    options.player = MediaPlayerOptions::fromPrefs();
    return options;
}

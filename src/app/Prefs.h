#pragma once

#include "PrefsSnapshot.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSettings;

// Every user preference, held in memory and mirrored under the settings group "prefs".
// Setters write through to the settings store at once, and only on the thread that owns it;
// getters may be called on any thread. Worker code takes a snapshot() on the owning thread
// and reads that.
class Prefs
{
public:
    enum FeedViewMode { Thumbnails = 0, List = 1 };

    Prefs() = delete;

    static QString mediaPath();
    static void setMediaPath(const QString& path);
    // A plain folder name inside mediaPath; anything else (a path, "..") gives the default.
    static QString mediaTmpDir();
    // mediaPath + separator + mediaTmpDir.
    static QString mediaTmpLocation();
    static int preferredVideoFormat();
    static void setPreferredVideoFormat(int format);
    static int preferredAudioFormat();
    static void setPreferredAudioFormat(int format);
    static int defaultDownloadMediaType();
    static void setDefaultDownloadMediaType(int type);
    static int preferredAudioConversion();
    static void setPreferredAudioConversion(int conversion);
    static int feedViewMode();
    static bool downloadQueuePaused();
    static bool doLimitBandwidth();
    static int preferredVideoSize();
    static void setPreferredVideoSize(int size);
    static int simultaneousDownloads();
    static bool showAdultContent();
    static void setShowAdultContent(bool show);
    static bool addAudioToMediaPlayerPlaylist();
    static void setAddAudioToMediaPlayerPlaylist(bool add);
    static bool addVideoToMediaPlayerPlaylist();
    static void setAddVideoToMediaPlayerPlaylist(bool add);
    static QString mediaPlayerAudioPlaylistName();
    // The preferences window lets the user rename the playlists.
    static void setMediaPlayerAudioPlaylistName(const QString& name);
    static QString mediaPlayerVideoPlaylistName();
    static void setMediaPlayerVideoPlaylistName(const QString& name);
    static bool deleteMediaWhenAddedToMediaplayer();
    static void setDeleteMediaWhenAddedToMediaplayer(bool remove);
    static QString audioPlayerApp();
    static void setAudioPlayerApp(const QString& app);
    static QString videoPlayerApp();
    static void setVideoPlayerApp(const QString& app);
    static int threadsForMP4Conversion();
    static void setThreadsForMP4Conversion(int threads);
    static QDate lastVersionCheckForPlugins();
    static void setLastVersionCheckForPlugins(const QDate& date);
    static QString version();
    static void setVersion(const QString& version);
    static QString build();
    static void setBuild(const QString& build);
    static QStringList searchableServiceNamesOrder();
    static void setSearchableServiceNamesOrder(const QStringList& names);
    static bool visualNotificationOnQueueFinished();
    static void setVisualNotificationOnQueueFinished(bool show);
    static bool audioNotificationOnQueueFinished();
    static void setAudioNotificationOnQueueFinished(bool ring);
    static QStringList searchableServiceNames();
    static void setSearchableServiceNames(const QStringList& names);
    // The update server and its signing key, when they differ from the build's.
    static QString updateUrl();
    static void setUpdateUrl(const QString& url);
    static QString updatePublicKey();
    static void setUpdatePublicKey(const QString& key);

    // Every value at once, as the getters give them.
    static PrefsSnapshot snapshot();

    // The store that setters write to, load() reads and writeDefaults() fills; the calling
    // thread becomes the only one that may change preferences. Null detaches.
    static void attach(QSettings* settings);

    // First run: persist every default. Later runs: read the stored values.
    static void writeDefaults();
    static void load();

    // Generic access by key, for tools that list and edit preferences.
    static QStringList keys();
    static bool contains(const QString& key);
    static QVariant value(const QString& key);
    // Converts text to the key's type and applies it through the key's setter.
    // Returns false with a message when the key is unknown, read-only, or the text does
    // not fit the type.
    static bool setValueFromText(const QString& key, const QString& text, QString* error);

    // Back to the built-in defaults, as at start-up (tests use it between cases).
    static void resetToDefaults();
};

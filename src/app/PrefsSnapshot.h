#pragma once

#include <QDate>
#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

// Every preference as one value, with its built-in default. Prefs keeps one behind a lock;
// worker code gets a copy (Prefs::snapshot()) taken where the settings live, so it never
// reads a preference while the user interface thread changes it.
struct PrefsSnapshot
{
    QString mediaPath
        = QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
            + QLatin1Char('/')
            //: The standard download directory name
            + QStringLiteral(QT_TRANSLATE_NOOP("Prefs", "Kestrofan Downloads")) + QLatin1Char('/'));
    QString mediaTmpDir = QStringLiteral("Temporary files");
    int preferredVideoFormat = 45;
    int preferredAudioFormat = 0;
    int defaultDownloadMediaType = 1;
    int preferredAudioConversion = 1;
    int feedViewMode = 0; // Prefs::Thumbnails
    bool downloadQueuePaused = false;
    bool doLimitBandwidth = false;
    int preferredVideoSize = 3;
    int simultaneousDownloads = 1;
    bool showAdultContent = true;
    bool addAudioToMediaPlayerPlaylist = true;
    bool addVideoToMediaPlayerPlaylist = false;
    QString mediaPlayerAudioPlaylistName
        = QStringLiteral("Kestrofan ") + QStringLiteral(QT_TRANSLATE_NOOP("Prefs", "music"));
    QString mediaPlayerVideoPlaylistName
        = QStringLiteral("Kestrofan ") + QStringLiteral(QT_TRANSLATE_NOOP("Prefs", "video"));
    bool deleteMediaWhenAddedToMediaplayer = false;
    QString audioPlayerApp;
    QString videoPlayerApp;
    int threadsForMP4Conversion = QThread::idealThreadCount() / 2;
    QDate lastVersionCheckForPlugins;
    QString version;
    QString build;
    QStringList searchableServiceNamesOrder = { QStringLiteral("YouTube") };
    bool visualNotificationOnQueueFinished = true;
    bool audioNotificationOnQueueFinished = false;
    QStringList searchableServiceNames;
    QString updateUrl;
    QString updatePublicKey;

    // The folder of partial downloads: mediaPath + separator + mediaTmpDir, as built.
    QString mediaTmpLocation() const { return mediaPath + QDir::separator() + mediaTmpDir; }
};

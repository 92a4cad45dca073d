#include "TestEnvironment.h"
#include "TestFiles.h"

#include "convert/MediaPlayerIntegration.h"

// Finished files reach the user's players: listed in an M3U playlist in the music folder and
// opened with the configured player.
class MediaPlayerTest : public QObject
{
    Q_OBJECT

private slots:
    void playlistAppendedTwice()
    {
        const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        QVERIFY(music.startsWith(QDir::homePath()));
        QVERIFY(!QFileInfo::exists(music));
        const MediaPlayerIntegration player { MediaPlayerOptions() };
        QVERIFY(player.addToMediaPlayerPlaylist(
            "/media/Band - Song.mp3", "Kestrofan music", "Band - Song", 185));
        QVERIFY(player.addToMediaPlayerPlaylist("/media/Clip.mp4", "Kestrofan music"));
        QCOMPARE(QString::fromUtf8(readFile(music + "/Kestrofan music.m3u")),
            QString("#EXTM3U\n#EXTINF:185,Band - Song\n/media/Band - Song.mp3\n"
                    "#EXTINF:-1,Clip\n/media/Clip.mp4\n"));
    }

    void playlistNamesStayInTheFolder()
    {
        MediaPlayerOptions options;
        options.playlistDirectory = "/music";
        const MediaPlayerIntegration player(options);
        QCOMPARE(player.playlistPath("../../etc/x"), QString("/music/etc x.m3u"));
        QCOMPARE(player.playlistPath(""), QString("/music/Kestrofan.m3u"));
    }

    void configuredPlayerOpensFile_data()
    {
        testColumns<bool>("isVideo");
        testRow("audio", false);
        testRow("video", true);
    }

    void configuredPlayerOpensFile()
    {
        QFETCH(bool, isVideo);
        QTemporaryDir folder;
        const QString script = folder.filePath("player");
        const QString record = folder.filePath("opened");
        QVERIFY(writeExecutable(
            script, QString("#!/bin/sh\nprintf '%s|' \"$@\" > '%1'\n").arg(record).toUtf8()));

        MediaPlayerOptions options;
        (isVideo ? options.videoPlayerApp : options.audioPlayerApp) = script;
        const MediaPlayerIntegration player(options);
        // A path with blanks and shell characters arrives as one argument.
        const QString media = folder.filePath("a b; $(x).mp4");
        QVERIFY(player.openMediaFile(media, isVideo));
        QTRY_VERIFY(QFileInfo(record).size() > 0);
        QCOMPARE(QString::fromUtf8(readFile(record)), media + "|");

        (isVideo ? options.videoPlayerApp : options.audioPlayerApp) = folder.filePath("missing");
        QVERIFY(!MediaPlayerIntegration(options).openMediaFile(media, isVideo));
    }
};

KESTROFAN_CORE_TEST_MAIN(MediaPlayerTest)
#include "tst_mediaplayer.moc"

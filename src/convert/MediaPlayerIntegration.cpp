#include "MediaPlayerIntegration.h"

#include "M3uPlaylist.h"
#include "app/FileNames.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

MediaPlayerIntegration::MediaPlayerIntegration(const MediaPlayerOptions& options)
    : m_options(options)
{ }

QString MediaPlayerIntegration::playlistPath(const QString& playlistName) const
{
    QString directory = m_options.playlistDirectory;
    if (directory.isEmpty())
        directory = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    QString stem = FileNames::sanitizedTitleFileName(playlistName).trimmed();
    if (stem.isEmpty() || stem.startsWith(QLatin1Char('.')))
        stem.prepend(QStringLiteral("Kestrofan"));
    return QDir(directory).filePath(FileNames::fitted(stem, QStringLiteral(".m3u")));
}

bool MediaPlayerIntegration::addToMediaPlayerPlaylist(const QString& filePath,
    const QString& playlistName, const QString& displayTitle, int durationSeconds) const
{
    // The playlist refers to the file where it is, so the file stays even when the
    // preferences ask to delete what a player has taken: here no player keeps a copy.
    const QString title
        = displayTitle.isEmpty() ? QFileInfo(filePath).completeBaseName() : displayTitle;
    QString error;
    const M3uPlaylist playlist(playlistPath(playlistName));
    if (!playlist.append(filePath, durationSeconds, title, &error))
        qWarning().noquote() << error;
    return true;
}

bool MediaPlayerIntegration::openMediaFile(const QString& filePath, bool isVideo) const
{
    const QString player = isVideo ? m_options.videoPlayerApp : m_options.audioPlayerApp;
    const QString nativePath = QDir::toNativeSeparators(QFileInfo(filePath).absoluteFilePath());
    if (!player.isEmpty()) {
        // The player setting names a program, never a command line for a shell.
        if (QProcess::startDetached(player, { nativePath }))
            return true;
        qWarning().noquote() << "MediaPlayerIntegration::openMediaFile(): could not start"
                             << player;
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()));
}

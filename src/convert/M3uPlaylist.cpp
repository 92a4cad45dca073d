#include "M3uPlaylist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex& appendMutex()
{
    static QMutex mutex;
    return mutex;
}

// A line break inside an entry would start a line of its own and break the list.
QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace

M3uPlaylist::M3uPlaylist(const QString& path)
    : m_path(path)
{ }

bool M3uPlaylist::append(
    const QString& filePath, int durationSeconds, const QString& displayTitle, QString* error) const
{
    const QString absolutePath = QFileInfo(filePath).absoluteFilePath();
    if (absolutePath.contains(QLatin1Char('\n')) || absolutePath.contains(QLatin1Char('\r'))) {
        *error = QCoreApplication::translate("M3uPlaylist", "Cannot list %1 in a playlist")
                     .arg(absolutePath);
        return false;
    }
    QMutexLocker locker(&appendMutex());
    if (QFileInfo(m_path).isSymLink()) {
        *error
            = QCoreApplication::translate("M3uPlaylist", "The playlist %1 is a link").arg(m_path);
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QCoreApplication::translate("M3uPlaylist", "Unable to save the file %1: %2.")
                     .arg(m_path, file.errorString());
        return false;
    }
    QString entry;
    if (file.size() == 0)
        entry += QLatin1String("#EXTM3U\n");
    entry += QStringLiteral("#EXTINF:%1,%2\n%3\n")
                 .arg(durationSeconds >= 0 ? durationSeconds : -1)
                 .arg(oneLine(displayTitle), absolutePath);
    // One write per entry, so a reader never sees half of one.
    if (file.write(entry.toUtf8()) < 0 || !file.flush()) {
        *error = QCoreApplication::translate("M3uPlaylist", "Unable to save the file %1: %2.")
                     .arg(m_path, file.errorString());
        return false;
    }
    return true;
}

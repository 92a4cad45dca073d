#include "FfmpegExecutable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString executableIn(const QString& directory, const QString& name)
{
    if (directory.isEmpty())
        return QString();
    const QFileInfo candidate(QDir(directory).filePath(name));
    return candidate.isFile() && candidate.isExecutable() ? candidate.absoluteFilePath()
                                                          : QString();
}

QString locate(const QString& name, const QString& preferredDirectory)
{
    QString path = executableIn(preferredDirectory, name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name);
    return path.isEmpty() ? name : path;
}

} // namespace

QString FfmpegExecutable::ffmpegPath()
{
    return locate(QStringLiteral("ffmpeg"), QCoreApplication::applicationDirPath());
}

QString FfmpegExecutable::ffprobePath(const QString& ffmpeg)
{
    const QFileInfo info(ffmpeg);
    return locate(QStringLiteral("ffprobe"), info.isAbsolute() ? info.absolutePath() : QString());
}

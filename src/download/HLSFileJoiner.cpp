#include "HLSFileJoiner.h"

#include "FileConcatenator.h"
#include "app/MediaDescriptor.h"
#include "convert/SystemProcess.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The path without the extension of its file name; a dot in a folder name is not one.
QString withoutExtension(const QString& path)
{
    const QFileInfo info(path);
    const int dot = info.fileName().lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return path;
    return path.left(path.size() - (info.fileName().size() - dot));
}

} // namespace

HLSFileJoiner::HLSFileJoiner(int format)
    : FileJoinerBase(format)
{ }

QStringList HLSFileJoiner::ffmpegArguments(const QString& joined, const QString& output, int format)
{
    QStringList arguments { QStringLiteral("-y"), QStringLiteral("-i"), joined,
        QStringLiteral("-vcodec"), QStringLiteral("copy"), QStringLiteral("-acodec"),
        QStringLiteral("copy") };
    if (format == MediaDescriptor::AAC)
        arguments << QStringLiteral("-absf") << QStringLiteral("aac_adtstoasc");
    arguments << output;
    return arguments;
}

QString HLSFileJoiner::join(const QStringList& files, const QString& /*target*/)
{
    if (files.isEmpty())
        return QString();
    const QString stem = withoutExtension(files.first());
    const QString joined = stem + QStringLiteral(".joined.ts");
    const QString output = stem + QLatin1Char('.') + formatExtension(format());

    if (!FileConcatenator::concatenate(files, joined)) {
        setErrorText(tr("Could not join file parts"));
        return QString();
    }
    // A file left from an earlier run must not pass for this run's output.
    QFile::remove(output);
    SystemProcess process;
    process.setCancellation(cancellation());
    process.run(ffmpegPath(), ffmpegArguments(joined, output, format()), false);
    // ffmpeg leaves an empty file behind when it cannot write the container's header.
    if (QFileInfo(output).size() <= 0) {
        QFile::remove(output);
        setErrorText(QStringLiteral("HLSFileJoiner::join(): Error muxing into ") + output);
        return QString();
    }
    QFile::remove(joined);
    return output;
}

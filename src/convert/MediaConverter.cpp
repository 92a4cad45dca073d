#include "MediaConverter.h"

#include "FilePlacement.h"
#include "MediaPlayerIntegration.h"
#include "Mp4Tags.h"
#include "StagedFile.h"
#include "SystemProcess.h"
#include "app/FileNames.h"
#include "app/MediaDescriptor.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace {

// How much of ffmpeg's talk a failure message quotes.
constexpr int quotedLines = 5;

QString lastLines(const QString& output)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]+"));
    QStringList lines = output.split(lineBreak, Qt::SkipEmptyParts);
    if (lines.size() > quotedLines)
        lines = lines.mid(lines.size() - quotedLines);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

MediaConverter::MediaConverter(const ConversionItem& item, const QString& filePath,
    const ConversionOptions& options, QObject* parent)
    : QObject(parent)
    , m_item(item)
    , m_options(options)
    , m_inputPath(filePath)
    , m_workDirectory(QFileInfo(filePath).absolutePath())
    , m_mediaType(item.mediaType)
    , m_targetFormat(item.mediaType == MediaDescriptor::Audio ? options.preferredAudioFormat
                                                              : options.preferredVideoFormat)
    , m_titleInfo(item.title.left(maximumTitleLength), item.mediaType != MediaDescriptor::Audio)
{
    m_baseName = FileNames::sanitizedTitleFileName(item.title.left(maximumTitleLength));
    // A name of blanks or dots only would be hidden or no name at all.
    if (m_baseName.trimmed().remove(QLatin1Char('.')).isEmpty())
        m_baseName = tr("Untitled");
}

QString MediaConverter::formatExtension(int format)
{
    static const QHash<int, QString> formatExtensions {
        { MediaDescriptor::AAC, QStringLiteral("m4a") },
        { MediaDescriptor::FLV, QStringLiteral("flv") },
        { MediaDescriptor::MP3, QStringLiteral("mp3") },
        { MediaDescriptor::MP4, QStringLiteral("mp4") },
        { MediaDescriptor::Vorbis, QStringLiteral("ogg") },
        { MediaDescriptor::WebM, QStringLiteral("webm") },
    };
    return formatExtensions.value(format);
}

QString MediaConverter::keptExtension() const
{
    const QString extension = formatExtension(m_item.format);
    return extension.isEmpty() ? QFileInfo(m_inputPath).suffix() : extension;
}

QString MediaConverter::mediaDirectory() const
{
    if (!m_options.mediaPath.isEmpty())
        return QDir(m_options.mediaPath).absolutePath();
    // Downloads live in the temporary folder inside the media folder.
    QDir work(m_workDirectory);
    work.cdUp();
    return work.absolutePath();
}

QString MediaConverter::commentText() const
{
    return tr("Downloaded with Kestrofan 2. Source URL: %1").arg(m_item.sourceUrl);
}

void MediaConverter::fail(const QString& text)
{
    setErrorText(text);
    emit errorSignal(text);
}

MediaConverter::FfmpegRun MediaConverter::runFfmpeg(const QStringList& arguments) const
{
    SystemProcess process;
    process.setCancellation(m_cancellation);
    FfmpegRun run;
    run.ran = process.run(m_options.ffmpegPath, arguments, true);
    run.exitCode = process.exitCode();
    run.output = process.output();
    run.error = process.errorString();
    return run;
}

bool MediaConverter::produce(StagedFile& output, const QStringList& arguments)
{
    QStringList command = arguments;
    // The staged file exists already; without -y ffmpeg would ask before overwriting it.
    if (!command.contains(QStringLiteral("-y")))
        command.prepend(QStringLiteral("-y"));
    // Without the banner, the last lines of a failure are ffmpeg's reasons.
    command.prepend(QStringLiteral("-hide_banner"));
    const FfmpegRun run = runFfmpeg(command);
    if (run.ran && run.exitCode == 0 && output.isFilled())
        return true;
    QString reason
        = run.ran ? tr("ffmpeg wrote no usable file (exit code %1)").arg(run.exitCode) : run.error;
    const QString said = lastLines(run.output);
    if (!said.isEmpty())
        reason += QLatin1Char('\n') + said;
    setErrorText(reason);
    return false;
}

bool MediaConverter::stageOutput(StagedFile& output, const QString& extension)
{
    QString error;
    QDir().mkpath(mediaDirectory());
    if (output.create(mediaDirectory(), extension, &error))
        return true;
    setErrorText(error);
    return false;
}

bool MediaConverter::renameInput()
{
    if (!QFileInfo::exists(m_inputPath)) {
        setErrorText(
            QStringLiteral("MediaConverter: Input file was not found, conversion aborted"));
        return false;
    }
    QDir().mkpath(mediaDirectory());
    QString error;
    const QString path = FilePlacement::moveToFreeName(
        m_inputPath, mediaDirectory(), m_baseName, keptExtension(), &error);
    if (path.isEmpty()) {
        qWarning().noquote() << error;
        setErrorText(QStringLiteral("MediaConverter: Infile could not be renamed"));
        return false;
    }
    m_inputPath = path;
    m_outputPath = path;
    return true;
}

bool MediaConverter::publishOutput(StagedFile& output)
{
    QString error;
    const QString path = output.publish(m_baseName, &error);
    if (path.isEmpty()) {
        setErrorText(error);
        return false;
    }
    m_outputPath = path;
    return true;
}

bool MediaConverter::tagInputInPlace()
{
    // The same tags as ffmpeg would write, from the same "-metadata" arguments.
    QStringList arguments { m_inputPath };
    addMetadata(arguments);
    QList<QPair<QString, QString>> tags;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) != QLatin1String("-metadata"))
            continue;
        const QString pair = arguments.at(++i);
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return false;
        tags.append({ pair.left(equals), pair.mid(equals + 1) });
    }
    QString error;
    return Mp4Tags::writeInPlace(m_inputPath, tags, &error);
}

bool MediaConverter::addTags()
{
    StagedFile tagged;
    QString error;
    if (!tagged.create(
            QFileInfo(m_outputPath).absolutePath(), QFileInfo(m_outputPath).suffix(), &error)) {
        setErrorText(error);
        return false;
    }
    QStringList arguments { QStringLiteral("-i"), m_outputPath };
    if (m_mediaType == MediaDescriptor::Audio)
        arguments << QStringLiteral("-strict") << QStringLiteral("-2");
    arguments << QStringLiteral("-acodec") << QStringLiteral("copy") << QStringLiteral("-vcodec")
              << QStringLiteral("copy") << tagged.path();
    addMetadata(arguments);
    if (!produce(tagged, arguments))
        return false;
    if (!tagged.replace(m_outputPath, &error)) {
        setErrorText(error);
        return false;
    }
    return QFileInfo::exists(m_outputPath);
}

void MediaConverter::addToPlaylist(const QString& playlistName, bool enabled) const
{
    if (!enabled || m_outputPath.isEmpty())
        return;
    const QString displayTitle = m_titleInfo.isVideo()
        ? m_titleInfo.title()
        : m_titleInfo.artist() + QStringLiteral(" - ") + m_titleInfo.title();
    MediaPlayerIntegration(m_options.player)
        .addToMediaPlayerPlaylist(m_outputPath, playlistName, displayTitle, m_item.durationSeconds);
}

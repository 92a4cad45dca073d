#include "VideoConverter.h"

#include "ConversionModel.h"
#include "PresetArguments.h"
#include "StagedFile.h"
#include "app/DbConnection.h"

#include <QFile>
#include <QFileInfo>

VideoConverter::VideoConverter(const ConversionItem& item, const QString& filePath,
    const ConversionOptions& options, QObject* parent)
    : MediaConverter(item, filePath, options, parent)
{ }

QString VideoConverter::convert()
{
    if (!QFileInfo::exists(m_inputPath)) {
        fail(tr("File not found"));
        return QString();
    }

    bool converted = false;
    if (m_item.format == m_targetFormat) {
        // Tagged where it lies when its layout allows, so that a large file is not copied
        // for its tags; otherwise ffmpeg copies it once it has its name.
        const bool tagged = tagInputInPlace();
        if (!renameInput()) {
            fail(errorText());
        } else if (!tagged && !addTags()) {
            // The untagged file stays under its name; only the tags are missing.
            fail(errorText().isEmpty() ? tr("Error adding tags") : errorText());
        } else {
            converted = true;
        }
    } else if (convertVideo(m_targetFormat)) {
        QFile::remove(m_inputPath);
        converted = true;
    } else {
        fail(errorText().isEmpty() ? QStringLiteral("Could not convert file ") + m_inputPath
                                   : errorText());
    }

    if (converted)
        addToPlaylist(m_options.player.videoPlaylistName, m_options.player.addVideoToPlaylist);
    return m_outputPath;
}

void VideoConverter::addMetadata(QStringList& arguments) const
{
    PresetArguments::insertBeforeLast(arguments,
        { QStringLiteral("-metadata"),
            QStringLiteral("title=") + m_item.title.left(maximumTitleLength),
            QStringLiteral("-metadata"), QStringLiteral("description=") + m_item.description,
            QStringLiteral("-metadata"), QStringLiteral("comment=") + commentText() });
}

double VideoConverter::inputFrameRate() const
{
    // ffmpeg with only an input describes its streams and exits with an error: the
    // description is all we want.
    const FfmpegRun run = runFfmpeg({ QStringLiteral("-i"), m_inputPath });
    return PresetArguments::probedFrameRate(run.output);
}

bool VideoConverter::convertVideo(int format)
{
    DbConnection db;
    const ConversionPreset preset = ConversionModel(nullptr, db.connection()).videoPreset(format);
    PresetArguments arguments(preset.ffmpegArgs);
    if (!arguments.has(QStringLiteral("{input}")) || !arguments.has(QStringLiteral("{output}"))) {
        setErrorText(QStringLiteral("VideoConverter::convertVideo(): No input placeholder found"));
        return false;
    }

    StagedFile output;
    if (!stageOutput(output, preset.extension))
        return false;
    arguments.fill(QStringLiteral("{input}"), m_inputPath);
    arguments.fill(QStringLiteral("{output}"), output.path());
    arguments.fill(QStringLiteral("{ssize}"), preset.resolution);
    arguments.fill(QStringLiteral("{threads}"), QString::number(m_options.threads));
    QStringList list = arguments.arguments();
    addMetadata(list);
    if (inputFrameRate() > maximumFrameRate)
        PresetArguments::insertBeforeLast(list, { QStringLiteral("-r"), QStringLiteral("25") });
    return produce(output, list) && publishOutput(output);
}

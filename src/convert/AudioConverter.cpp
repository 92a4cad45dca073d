#include "AudioConverter.h"

#include "ConversionModel.h"
#include "FilePlacement.h"
#include "PresetArguments.h"
#include "StagedFile.h"
#include "app/DbConnection.h"
#include "app/MediaDescriptor.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Values of the audio conversion preference.
enum AudioConversion { AlwaysConvert = 1, KeepAac = 2, KeepVorbis = 3 };

} // namespace

AudioConverter::AudioConverter(const ConversionItem& item, const QString& filePath, bool audioOnly,
    const ConversionOptions& options, QObject* parent)
    : MediaConverter(item, filePath, options, parent)
    , m_audioOnly(audioOnly)
{ }

QString AudioConverter::convert()
{
    const int format = m_item.format;
    if ((m_options.preferredAudioConversion == KeepAac && format == MediaDescriptor::AAC)
        || (m_options.preferredAudioConversion == KeepVorbis && format == MediaDescriptor::Vorbis))
        m_targetFormat = format;

    bool converted = false;
    if (!QFileInfo::exists(m_inputPath)) {
        setErrorText(
            QStringLiteral("MediaConverter: Input file was not found, conversion aborted"));
    } else if (format == m_targetFormat && m_audioOnly) {
        converted = renameInput();
        // The file is kept either way; untagged is still the user's audio.
        if (converted && !addTags()) {
            qWarning().noquote() << "AudioConverter: could not tag" << m_outputPath << ":"
                                 << errorText();
            clearError();
        }
    } else if (format == m_targetFormat) {
        converted = copyAudio();
    } else {
        converted = convertAudio();
    }

    if (converted) {
        if (m_outputPath != m_inputPath)
            QFile::remove(m_inputPath);
        addToPlaylist(m_options.player.audioPlaylistName, m_options.player.addAudioToPlaylist);
    } else {
        fail(QStringLiteral("Could not convert the file ") + m_inputPath + QStringLiteral(": ")
            + errorText());
    }
    return m_outputPath;
}

void AudioConverter::addMetadata(QStringList& arguments) const
{
    PresetArguments::insertBeforeLast(arguments,
        { QStringLiteral("-metadata"), QStringLiteral("title=") + titleInfo().title(),
            QStringLiteral("-metadata"), QStringLiteral("Author=") + titleInfo().artist(),
            QStringLiteral("-metadata"), QStringLiteral("Artist=") + titleInfo().artist(),
            QStringLiteral("-metadata"), QStringLiteral("comment=") + commentText() });
}

bool AudioConverter::copyAudio()
{
    StagedFile output;
    if (!stageOutput(output, keptExtension()))
        return false;
    QStringList arguments { QStringLiteral("-y"), QStringLiteral("-i"), m_inputPath,
        QStringLiteral("-acodec"), QStringLiteral("copy"), QStringLiteral("-vn"), output.path() };
    addMetadata(arguments);
    return produce(output, arguments) && publishOutput(output);
}

bool AudioConverter::convertAudio()
{
    DbConnection db;
    const ConversionPreset preset
        = ConversionModel(nullptr, db.connection()).audioPreset(m_options.preferredAudioFormat);
    PresetArguments arguments(preset.ffmpegArgs);
    // Both placeholders are checked before anything on disk changes.
    for (const QString& placeholder : { QStringLiteral("{input}"), QStringLiteral("{output}") }) {
        if (!arguments.has(placeholder)) {
            setErrorText(QStringLiteral("VideoConverter::convertVideo(): No placeholder found: ")
                + placeholder);
            return false;
        }
    }

    // The input gets the extension of its format, from which ffmpeg recognises it.
    const QString extension = formatExtension(m_item.format);
    if (!extension.isEmpty()) {
        const QString renamed = m_inputPath + QLatin1Char('.') + extension;
        QString error;
        if (!FilePlacement::moveWithoutReplacing(m_inputPath, renamed, &error)) {
            setErrorText(
                QStringLiteral("VideoConverter::convertVideo(): Could not rename input file from ")
                + m_inputPath + QStringLiteral(" to ") + renamed);
            return false;
        }
        m_inputPath = renamed;
    }

    StagedFile output;
    if (!stageOutput(output, preset.extension))
        return false;
    arguments.fill(QStringLiteral("{input}"), m_inputPath);
    arguments.fill(QStringLiteral("{output}"), output.path());
    arguments.fill(
        QStringLiteral("{kbits_per_second}"), arguments.audioBitrate(m_item.audioBitrate));
    arguments.fill(QStringLiteral("{audio_rate}"), QStringLiteral("44100"));
    arguments.fill(QStringLiteral("{threads}"), QString::number(m_options.threads));
    QStringList list = arguments.arguments();
    addMetadata(list);
    return produce(output, list) && publishOutput(output);
}

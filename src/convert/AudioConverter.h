#pragma once

#include "MediaConverter.h"

// Makes the audio file the user keeps: the downloaded audio as it is when its format is the
// one wanted, otherwise re-encoded through the preferred audio preset; tagged with artist,
// song and source.
class AudioConverter : public MediaConverter
{
    Q_OBJECT
public:
    // audioOnly: the download is an audio-only stream, so the file can be kept as it is.
    AudioConverter(const ConversionItem& item, const QString& filePath, bool audioOnly,
        const ConversionOptions& options, QObject* parent = nullptr);

    QString convert() override;
    void addMetadata(QStringList& arguments) const override;

private:
    bool copyAudio();
    bool convertAudio();

    bool m_audioOnly;
};

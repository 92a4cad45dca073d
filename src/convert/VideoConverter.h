#pragma once

#include "MediaConverter.h"

// Makes the video file the user keeps: the download as it is, tagged, when its format is the
// preferred one, otherwise re-encoded through the preferred video preset.
class VideoConverter : public MediaConverter
{
    Q_OBJECT
public:
    VideoConverter(const ConversionItem& item, const QString& filePath,
        const ConversionOptions& options, QObject* parent = nullptr);

    QString convert() override;
    void addMetadata(QStringList& arguments) const override;

    // Frame rates above this are brought down to 25, which every preset's player takes.
    static constexpr double maximumFrameRate = 30;

private:
    bool convertVideo(int format);
    // The frame rate "ffmpeg -i" reports for the input; -1 when it names none.
    double inputFrameRate() const;
};

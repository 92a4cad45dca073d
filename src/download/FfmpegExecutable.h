#pragma once

#include <QString>

// Where ffmpeg and ffprobe are: beside the application when present, else on PATH. When
// neither has one, the bare program name is returned so that starting it fails with a
// message that names the program.
class FfmpegExecutable
{
public:
    FfmpegExecutable() = delete;

    static QString ffmpegPath();
    // The ffprobe that belongs to the given ffmpeg (same folder), else the one on PATH.
    static QString ffprobePath(const QString& ffmpeg = ffmpegPath());
};

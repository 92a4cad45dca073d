#pragma once

#include <QString>

// What kind of media is wanted or produced. The numbers are stored in the settings and in
// the database and must never be renumbered.
namespace MediaDescriptor {

enum MediaType : int { Audio = 0, Video = 1 };

// Shares its value space with the ids of the conversion presets: values outside the named
// ones are preset ids.
enum MediaFormat : int {
    MP3 = 0,
    Vorbis = 1,
    AAC = 2,
    Opus = 3,
    MP4 = 45,
    FLV = 46,
    WebM = 47,
    WMV1 = 49,
    WMV2 = 50,
    DivX = 51,
};

enum VideoSize : int { Medium = 1, Large = 2, HD720 = 3, HD1080 = 4, Biggest = 5 };

// "audio", "video", or "unknown".
QString mediaTypeName(MediaType type);
// The fixed name of a named format; any other value is looked up as a video preset id
// (one query per call), "Unknown" when there is no such row or it has no name.
QString formatName(int format);
// formatName() in lower case: "mp4", "wmv", ...
QString formatExtension(int format);
// Container or codec names as yt-dlp reports them ("mp4", "m4a", "opus", ...); -1 when
// not recognised.
int formatFromString(const QString& text);
// "Medium (360p)" ... "Biggest available", or "Unknown".
QString videoSizeName(VideoSize size);

} // namespace MediaDescriptor

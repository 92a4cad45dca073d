#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Writes text tags into an MP4 file whose movie box ('moov') is the last box of the file, by
// rewriting that box alone: the media data before it keeps its offsets, so a large video is
// tagged without being copied. Files laid out otherwise, and tags without an atom here, are
// refused untouched; the caller then copies the file with ffmpeg as before.
namespace Mp4Tags {

// ffmpeg's "-metadata" keys that have an atom here (title, artist, description, comment).
bool canWrite(const QString& key);

// tags: ffmpeg "-metadata" keys and values. Replaces the file's own tag list ('meta' in
// 'udta'); the rest of the movie box stays as it is. False with the reason when the file was
// left unchanged.
bool writeInPlace(const QString& path, const QList<QPair<QString, QString>>& tags, QString* error);

} // namespace Mp4Tags

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Shared pieces of the transfer tests: recognisable content, waiting on conditions, and
// small media clips made by the real ffmpeg.
namespace TransferTestSupport {

// Bytes that differ at every offset, so a misplaced range cannot go unnoticed.
QByteArray patternBytes(qint64 size, quint32 seed = 1);

// Runs the event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 20000);

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& data);

// Runs ffmpeg with the arguments (after "-hide_banner -loglevel error -y"); true when the
// output exists afterwards.
bool makeClip(const QStringList& arguments, const QString& output);
// The codec of each stream ffprobe finds, in order ("h264", "aac").
QStringList streamCodecs(const QString& path);

} // namespace TransferTestSupport

#pragma once

#include "TestFiles.h"
#include "TestHttpServer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

// Shared pieces of the transfer tests: recognisable content, what the server was asked for, and
// small media clips made by the real ffmpeg.
namespace TransferTestSupport {

// Bytes that differ at every offset, so a misplaced range cannot go unnoticed.
QByteArray patternBytes(qint64 size, quint32 seed = 1);

// A 64x48 test picture in H.264, and a sine tone in the given codec.
bool makeVideo(const QString& output, int seconds = 1);
bool makeTone(const QString& output, const QString& codec, int seconds = 1);
// Runs ffmpeg with the arguments ("*.ts" outputs are MPEG-TS); true when the output exists.
bool makeClip(const QStringList& arguments, const QString& output);
// The codec of each stream ffprobe finds, in order ("h264", "aac").
QStringList streamCodecs(const QString& path);

// The GETs the server received for the path, and the bytes their ranges cover.
QList<TestHttpRequest> gets(const TestHttpServer& server, const QString& path);
qint64 bytesAskedFor(const TestHttpServer& server, const QString& path);
// prefix1 -> prefix2 -> ... -> prefix<hops> -> target, each redirect carrying "body".
void serveRedirects(TestHttpServer& server, const QString& prefix, int hops, const QUrl& target,
    const QByteArray& body = QByteArray());
// Serves the data cut into "count" pieces at prefix + index + ".ts".
QList<QUrl> servePieces(TestHttpServer& server, const QByteArray& data, int count,
    const QString& prefix, qint64 bytesPerSecond = 0);

} // namespace TransferTestSupport

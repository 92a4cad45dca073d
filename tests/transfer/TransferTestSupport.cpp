#include "TransferTestSupport.h"

#include "TestProcess.h"

#include <QFileInfo>

namespace TransferTestSupport {

QByteArray patternBytes(qint64 size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    quint32 state = seed * 2654435761u + 1;
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] = char(state >> 24);
    }
    return data;
}

bool makeVideo(const QString& output, int seconds)
{
    const QStringList arguments { "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-t",
        QString::number(seconds), "-c:v", "libx264", "-pix_fmt", "yuv420p" };
    return makeClip(arguments, output);
}

bool makeTone(const QString& output, const QString& codec, int seconds)
{
    return makeClip(
        { "-f", "lavfi", "-i", QStringLiteral("sine=d=%1").arg(seconds), "-vn", "-c:a", codec },
        output);
}

bool makeClip(const QStringList& arguments, const QString& output)
{
    const QStringList format
        = output.endsWith(".ts") ? QStringList { "-f", "mpegts" } : QStringList();
    return TestProcess::ffmpeg(arguments + format << output) && QFileInfo(output).size() > 0;
}

QStringList streamCodecs(const QString& path)
{
    return TestProcess::run(
        "ffprobe", { "-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", path })
        .out.split('\n', Qt::SkipEmptyParts);
}

QList<TestHttpRequest> gets(const TestHttpServer& server, const QString& path)
{
    QList<TestHttpRequest> result;
    for (const TestHttpRequest& request : server.requests()) {
        if (request.path == path && request.method == QLatin1String("GET"))
            result << request;
    }
    return result;
}

qint64 bytesAskedFor(const TestHttpServer& server, const QString& path)
{
    qint64 total = 0;
    for (const TestHttpRequest& request : gets(server, path)) {
        const QList<QByteArray> bounds = request.header("range").mid(6).split('-');
        if (bounds.size() == 2)
            total += bounds.at(1).toLongLong() - bounds.at(0).toLongLong() + 1;
    }
    return total;
}

void serveRedirects(TestHttpServer& server, const QString& prefix, int hops, const QUrl& target,
    const QByteArray& body)
{
    for (int i = 1; i <= hops; ++i) {
        const QUrl next = i == hops ? target : server.url(prefix + QString::number(i + 1));
        server.route(prefix + QString::number(i), [next, body](const TestHttpRequest&) {
            TestHttpResponse response = TestHttpResponse::redirect(next, 302);
            response.body = body;
            return response;
        });
    }
}

QList<QUrl> servePieces(TestHttpServer& server, const QByteArray& data, int count,
    const QString& prefix, qint64 bytesPerSecond)
{
    QList<QUrl> urls;
    TestHttpFileOptions options;
    options.bytesPerSecond = bytesPerSecond;
    for (int i = 0; i < count; ++i) {
        const QString path = prefix + QString::number(i) + ".ts";
        const qsizetype from = data.size() * i / count;
        server.serveFile(path, data.mid(from, data.size() * (i + 1) / count - from), "video/mp2t");
        server.setFileOptions(path, options);
        urls << server.url(path);
    }
    return urls;
}

} // namespace TransferTestSupport

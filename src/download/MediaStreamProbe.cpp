#include "MediaStreamProbe.h"

#include "convert/SystemProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

MediaStreamProbe::MediaStreamProbe(const QString& ffprobePath)
    : m_ffprobePath(ffprobePath)
{ }

MediaStreamInfo MediaStreamProbe::probe(const QString& path) const
{
    SystemProcess process;
    // Its complaints go to standard error and stay out of the JSON.
    process.setChannels(SystemProcess::Channels::Separate);
    const QStringList arguments { QStringLiteral("-v"), QStringLiteral("error"),
        QStringLiteral("-show_entries"),
        QStringLiteral("stream=codec_type,codec_name:format=format_name"), QStringLiteral("-of"),
        QStringLiteral("json"), path };
    MediaStreamInfo info;
    if (!process.run(m_ffprobePath, arguments, true))
        return info;
    const QString output = process.output();
    const int start = output.indexOf(QLatin1Char('{'));
    if (start < 0)
        return info;
    const QJsonObject root = QJsonDocument::fromJson(output.mid(start).toUtf8()).object();
    info.container = root.value(QStringLiteral("format"))
                         .toObject()
                         .value(QStringLiteral("format_name"))
                         .toString();
    const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
    for (const QJsonValue& value : streams) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value(QStringLiteral("codec_type")).toString();
        const QString codec = stream.value(QStringLiteral("codec_name")).toString();
        if (type == QLatin1String("video") && info.videoCodec.isEmpty())
            info.videoCodec = codec;
        else if (type == QLatin1String("audio") && info.audioCodec.isEmpty())
            info.audioCodec = codec;
    }
    return info;
}

#include "MediaDescriptor.h"

#include "DbConnection.h"

#include <QCoreApplication>
#include <QSqlQuery>

namespace MediaDescriptor {

namespace {

// Format values double as video preset ids; a preset added later names its own format.
QString videoPresetName(int id)
{
    DbConnection db;
    QSqlQuery query(db.connection());
    query.prepare(QStringLiteral("SELECT name FROM video_conversions WHERE id=?"));
    query.addBindValue(id);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

} // namespace

QString mediaTypeName(MediaType type)
{
    switch (type) {
    case Audio:
        return QCoreApplication::translate("MediaDescriptor", "audio");
    case Video:
        return QCoreApplication::translate("MediaDescriptor", "video");
    }
    return QCoreApplication::translate("MediaDescriptor", "unknown");
}

QString formatName(int format)
{
    // The fixed names double as the upper-case extension family and are not translated.
    switch (format) {
    case MP3:
        return QStringLiteral("MP3");
    case Vorbis:
        return QStringLiteral("Vorbis");
    case AAC:
        return QStringLiteral("AAC");
    case Opus:
        return QStringLiteral("Opus");
    case MP4:
        return QStringLiteral("MP4");
    case FLV:
        return QStringLiteral("FLV");
    case WebM:
        return QStringLiteral("WebM");
    case WMV1:
    case WMV2:
        return QStringLiteral("WMV");
    case DivX:
        return QStringLiteral("DivX");
    default:
        break;
    }
    const QString name = videoPresetName(format);
    return name.isEmpty() ? QCoreApplication::translate("MediaDescriptor", "Unknown") : name;
}

QString formatExtension(int format)
{
    return formatName(format).toLower();
}

int formatFromString(const QString& text)
{
    const QString name = text.toUpper();
    if (name == QLatin1String("MP4"))
        return MP4;
    if (name == QLatin1String("FLV"))
        return FLV;
    if (name == QLatin1String("WEBM"))
        return WebM;
    if (name == QLatin1String("AAC") || name == QLatin1String("M4A"))
        return AAC;
    if (name == QLatin1String("MP3"))
        return MP3;
    if (name == QLatin1String("VORBIS"))
        return Vorbis;
    if (name == QLatin1String("OPUS"))
        return Opus;
    return -1;
}

QString videoSizeName(VideoSize size)
{
    switch (size) {
    case Medium:
        return QCoreApplication::translate("MediaDescriptor", "Medium (360p)");
    case Large:
        return QCoreApplication::translate("MediaDescriptor", "Large (480p)");
    case HD720:
        return QCoreApplication::translate("MediaDescriptor", "HD (720p)");
    case HD1080:
        return QCoreApplication::translate("MediaDescriptor", "HD (1080p)");
    case Biggest:
        return QCoreApplication::translate("MediaDescriptor", "Biggest available");
    }
    return QCoreApplication::translate("MediaDescriptor", "Unknown");
}

} // namespace MediaDescriptor

#include "HelperArguments.h"

namespace HelperArguments {

int heightLimit(int videoSize)
{
    switch (videoSize) {
    case MediaDescriptor::Medium:
        return 360;
    case MediaDescriptor::Large:
        return 480;
    case MediaDescriptor::HD720:
        return 720;
    case MediaDescriptor::HD1080:
        return 1080;
    case MediaDescriptor::Biggest:
        return 8000;
    default:
        return 480;
    }
}

QString videoFormatSelector(int videoSize, int videoFormat)
{
    QString selector;
    switch (videoFormat) {
    case MediaDescriptor::MP4:
        selector = QStringLiteral(
            "bestvideo[height<=%1][ext=mp4]+bestaudio[ext=m4a]/best[ext=mp4]/best");
        break;
    case MediaDescriptor::WebM:
        selector = QStringLiteral("bestvideo[height<=%1][ext=webm]+bestaudio/webm/best");
        break;
    default:
        selector = QStringLiteral("bestvideo[height<=%1]+bestaudio/best");
        break;
    }
    return selector.arg(heightLimit(videoSize));
}

QString audioFormatSelector(int audioConversion)
{
    switch (audioConversion) {
    case 2:
        return QStringLiteral("bestaudio[ext=aac]/bestaudio[ext=m4a]/bestaudio/best");
    case 3:
        return QStringLiteral("bestaudio[ext=vorbis]/bestaudio/best");
    default:
        return QStringLiteral("bestaudio/best");
    }
}

QString formatSelector(MediaDescriptor::MediaType targetType, const PrefsSnapshot& prefs)
{
    if (targetType == MediaDescriptor::Video)
        return videoFormatSelector(prefs.preferredVideoSize, prefs.preferredVideoFormat);
    return audioFormatSelector(prefs.preferredAudioConversion);
}

QStringList extractionArguments(const QUrl& pageUrl, MediaDescriptor::MediaType targetType,
    const PrefsSnapshot& prefs, const QString& cookieFile)
{
    // The helper's selector parser skips the empty quoted strings around the selector.
    const QString quotes = QStringLiteral("\"\"");
    return { QStringLiteral("-f"), quotes + formatSelector(targetType, prefs) + quotes,
        QStringLiteral("--dump-json"), QStringLiteral("--no-call-home"),
        QStringLiteral("--rm-cache-dir"), QStringLiteral("--cookies"), cookieFile,
        pageUrl.toString(QUrl::FullyEncoded) };
}

} // namespace HelperArguments

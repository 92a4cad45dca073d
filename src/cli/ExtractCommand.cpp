#include "ExtractCommand.h"

#include "InterruptNotifier.h"
#include "app/MediaDescriptor.h"
#include "app/Prefs.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "download/MediaURLFetcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ExtractCommand", text);
}

QJsonArray urlArray(const QList<QUrl>& urls)
{
    QJsonArray array;
    for (const QUrl& url : urls)
        array.append(url.toString(QUrl::FullyEncoded));
    return array;
}

QStringList cookieNames(const MediaUrls& urls)
{
    QStringList names;
    for (const QNetworkCookie& cookie : urls.cookies)
        names << QString::fromUtf8(cookie.name());
    return names;
}

// A job counts its extraction as failed with an error text or without any address.
QString failureOf(const MediaURLFetcher& fetcher)
{
    if (!fetcher.errorText().isEmpty())
        return fetcher.errorText();
    const MediaUrls urls = fetcher.mediaUrls();
    if (urls.videoUrls.isEmpty() && urls.audioUrls.isEmpty())
        return tr("No media URLs found");
    return QString();
}

QString formatText(int format)
{
    return QStringLiteral("%1 (%2)").arg(MediaDescriptor::formatName(format)).arg(format);
}

} // namespace

QString ExtractCommand::summary() const
{
    return QStringLiteral("Show the stream addresses the download helper finds: extract URL.");
}

void ExtractCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(
        QStringLiteral("url"), QStringLiteral("The media page address."), QStringLiteral("URL"));
    parser.addOption(QCommandLineOption(
        QStringLiteral("audio"), QStringLiteral("Extract as for an audio download.")));
    parser.addOption(QCommandLineOption(QStringLiteral("video"),
        QStringLiteral("Extract as for a video download (without either option the default "
                       "download type applies).")));
}

int ExtractCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        out.error(QStringLiteral("kestrofan-cli extract: give exactly one address"));
        return UsageError;
    }
    const bool audio = parser.isSet(QStringLiteral("audio"));
    const bool video = parser.isSet(QStringLiteral("video"));
    if (audio && video) {
        out.error(QStringLiteral("kestrofan-cli extract: --audio and --video exclude each other"));
        return UsageError;
    }
    const QUrl page(args.first(), QUrl::StrictMode);
    if (!page.isValid() || page.scheme().isEmpty() || page.host().isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli extract: not a web address: %1").arg(args.first()));
        return UsageError;
    }
    MediaDescriptor::MediaType targetType = MediaDescriptor::Video;
    if (audio || (!video && Prefs::defaultDownloadMediaType() == MediaDescriptor::Audio))
        targetType = MediaDescriptor::Audio;

    AppContext::instance()->createServiceRegistries();
    MediaURLFetcher fetcher(AppContext::helperRegistry(), QString {}, AppContext::processPool());
    QEventLoop loop;
    QObject::connect(&fetcher, &MediaURLFetcher::ready, &loop, &QEventLoop::quit);
    // Ctrl-C ends the helper too, instead of leaving it running.
    InterruptNotifier interrupt;
    int interrupted = 0;
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, &loop, [&]() {
        interrupted = 128 + interrupt.signalNumber();
        fetcher.cancel();
    });
    out.progress(tr("Asking the download helper about %1 ...").arg(page.toDisplayString()));
    fetcher.getMediaUrls(page, targetType);
    loop.exec();
    out.endProgress();
    if (interrupted != 0) {
        out.error(QStringLiteral("kestrofan-cli extract: interrupted"));
        return interrupted;
    }

    const QString pageText = page.toString(QUrl::FullyEncoded);
    if (out.isJson())
        printJson(pageText, targetType, fetcher, out);
    else
        printText(pageText, targetType, fetcher, out);

    const QString failure = failureOf(fetcher);
    if (!failure.isEmpty()) {
        out.error(
            QStringLiteral("kestrofan-cli extract: ") + UserFacingText::fromRecordedError(failure));
        return Failed;
    }
    return Success;
}

void ExtractCommand::printText(
    const QString& page, int targetType, const MediaURLFetcher& fetcher, const CliOutput& out)
{
    const MediaUrls urls = fetcher.mediaUrls();
    out.line(tr("Page: %1").arg(page));
    out.line(tr("Target: %1")
                 .arg(MediaDescriptor::mediaTypeName(MediaDescriptor::MediaType(targetType))));
    out.line(tr("Detected format: %1").arg(formatText(fetcher.detectedFormat())));
    out.line(tr("Video URLs: %1, format %2")
                 .arg(urls.videoUrls.size())
                 .arg(formatText(urls.videoFormat)));
    for (const QUrl& url : urls.videoUrls)
        out.line(QStringLiteral("  ") + url.toString(QUrl::FullyEncoded));
    out.line(tr("Audio URLs: %1, format %2")
                 .arg(urls.audioUrls.size())
                 .arg(formatText(urls.audioFormat)));
    for (const QUrl& url : urls.audioUrls)
        out.line(QStringLiteral("  ") + url.toString(QUrl::FullyEncoded));
    const QStringList cookies = cookieNames(urls);
    out.line(
        tr("Cookies: %1").arg(cookies.isEmpty() ? tr("none") : cookies.join(QStringLiteral(", "))));
}

void ExtractCommand::printJson(
    const QString& page, int targetType, const MediaURLFetcher& fetcher, const CliOutput& out)
{
    const MediaUrls urls = fetcher.mediaUrls();
    out.json(QJsonObject {
        { QStringLiteral("ok"), failureOf(fetcher).isEmpty() },
        { QStringLiteral("page"), page },
        { QStringLiteral("targetType"), targetType },
        { QStringLiteral("targetTypeName"),
            MediaDescriptor::mediaTypeName(MediaDescriptor::MediaType(targetType)) },
        { QStringLiteral("detectedFormat"), fetcher.detectedFormat() },
        { QStringLiteral("detectedFormatName"),
            MediaDescriptor::formatName(fetcher.detectedFormat()) },
        { QStringLiteral("videoUrls"), urlArray(urls.videoUrls) },
        { QStringLiteral("videoFormat"), urls.videoFormat },
        { QStringLiteral("videoFormatName"), MediaDescriptor::formatName(urls.videoFormat) },
        { QStringLiteral("audioUrls"), urlArray(urls.audioUrls) },
        { QStringLiteral("audioFormat"), urls.audioFormat },
        { QStringLiteral("audioFormatName"), MediaDescriptor::formatName(urls.audioFormat) },
        { QStringLiteral("cookies"), QJsonArray::fromStringList(cookieNames(urls)) },
        { QStringLiteral("error"), failureOf(fetcher) },
    });
}

#include "FetchCommand.h"

#include "FetchProgress.h"
#include "InterruptNotifier.h"
#include "app/MediaDescriptor.h"
#include "app/UserFacingText.h"
#include "app/WebAddress.h"
#include "download/AudioVideoJoiner.h"
#include "download/HLSMediaFileRequest.h"
#include "download/MediaFileRequest.h"
#include "download/SegmentedAVMediaFileRequest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

#include <memory>

namespace {

const QString kPartsFolder = QStringLiteral(".kestrofan-parts");

QList<QUrl> parseUrls(const QStringList& texts, QString* bad)
{
    QList<QUrl> urls;
    for (const QString& text : texts) {
        const QUrl url(text, QUrl::StrictMode);
        if (!WebAddress::isValid(url)) {
            *bad = text;
            return {};
        }
        urls.append(url);
    }
    return urls;
}

int formatFor(const QString& option, const QUrl& firstUrl, bool* ok)
{
    *ok = true;
    if (!option.isEmpty()) {
        const int format = MediaDescriptor::formatFromString(option);
        *ok = format >= 0;
        return format;
    }
    const int guessed = MediaDescriptor::formatFromString(QFileInfo(firstUrl.path()).suffix());
    return guessed >= 0 ? guessed : int(MediaDescriptor::MP4);
}

// "name.ext", or "name (2).ext" and so on when the folder has it already.
QString uniquePath(const QDir& folder, const QString& name)
{
    const QFileInfo info(name);
    const QString stem = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString candidate = folder.filePath(name);
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder.filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
    return candidate;
}

bool moveInto(const QString& from, const QString& to)
{
    if (QFile::rename(from, to))
        return true;
    // Another file system: copy, then let go of the temporary file.
    return QFile::copy(from, to) && QFile::remove(from);
}

} // namespace

QString FetchCommand::summary() const
{
    return QStringLiteral(
        "Download a file, HLS segments or video with audio: fetch URL... --out DIR.");
}

void FetchCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("url"),
        QStringLiteral("One address: a file. Several: the segments of one stream, in order."),
        QStringLiteral("URL..."));
    parser.addOption(QCommandLineOption(QStringLiteral("out"),
        QStringLiteral("The folder that receives the file (and its part files while it runs)."),
        QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(QStringLiteral("audio"),
        QStringLiteral("A separate audio stream to mux with the video; repeat for segments."),
        QStringLiteral("URL")));
    parser.addOption(QCommandLineOption(QStringLiteral("format"),
        QStringLiteral("The stream format (mp4, webm, m4a, mp3, ...); guessed from the address "
                       "when absent."),
        QStringLiteral("NAME")));
}

QString FetchCommand::baseNameFor(const QList<QUrl>& video, const QList<QUrl>& audio)
{
    QByteArray key;
    for (const QUrl& url : video)
        key += url.toEncoded() + '\n';
    if (!audio.isEmpty()) {
        key += "audio\n";
        for (const QUrl& url : audio)
            key += url.toEncoded() + '\n';
    }
    if (video.size() == 1 && audio.isEmpty())
        key = video.first().toEncoded();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Md5).toHex());
}

QString FetchCommand::outputName(const QUrl& url, const QString& extension)
{
    QString name = url.fileName();
    // A server's name is only a suggestion: never a path, never hidden, never odd bytes.
    name.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f/\\\\]")));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (!MediaFileRequestBase::isPlainFileName(name))
        name = QStringLiteral("download");
    if (!extension.isEmpty()) {
        const QFileInfo info(name);
        name = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
        name += QLatin1Char('.') + extension;
    }
    while (name.toUtf8().size() > 255)
        name.remove(0, 1);
    return name;
}

MediaFileRequestBase* FetchCommand::makeStreamRequest(
    const QList<QUrl>& urls, const QString& baseName, int format)
{
    if (urls.size() == 1)
        return new MediaFileRequest(urls.first(), baseName);
    return new HLSMediaFileRequest(urls, baseName, format);
}

int FetchCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString bad;
    const QList<QUrl> video = parseUrls(parser.positionalArguments(), &bad);
    const QList<QUrl> audio = parseUrls(parser.values(QStringLiteral("audio")), &bad);
    if (!bad.isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli fetch: not an http(s) address: ") + bad);
        return UsageError;
    }
    if (video.isEmpty() || !parser.isSet(QStringLiteral("out"))) {
        out.error(QStringLiteral("kestrofan-cli fetch: give at least one URL and --out DIR"));
        return UsageError;
    }
    bool formatOk = false;
    const int format = formatFor(parser.value(QStringLiteral("format")), video.first(), &formatOk);
    if (!formatOk) {
        out.error(QStringLiteral("kestrofan-cli fetch: unknown format \"%1\"")
                      .arg(parser.value(QStringLiteral("format"))));
        return UsageError;
    }
    const QDir folder(parser.value(QStringLiteral("out")));
    if (!QDir().mkpath(folder.absolutePath())) {
        out.error(QStringLiteral("kestrofan-cli fetch: cannot create ") + folder.absolutePath());
        return Failed;
    }

    const QString baseName = baseNameFor(video, audio);
    MediaFileRequestBase* videoRequest = makeStreamRequest(video, baseName, format);
    std::unique_ptr<MediaFileRequestBase> request;
    if (audio.isEmpty()) {
        request.reset(videoRequest);
    } else {
        const int audioFormat = formatFor(QString(), audio.first(), &formatOk);
        request = std::make_unique<SegmentedAVMediaFileRequest>(videoRequest,
            makeStreamRequest(audio, baseName + QStringLiteral("_audio"), audioFormat), baseName,
            format);
    }
    request->setTemporaryDirectory(folder.absoluteFilePath(kPartsFolder));
    if (!request->errorText().isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli fetch: ")
            + UserFacingText::fromRecordedError(request->errorText()));
        return Failed;
    }

    QEventLoop loop;
    InterruptNotifier interrupt;
    FetchProgress progress;
    QTimer ticker;
    const auto showProgress = [&]() {
        out.progress(progress.update(request->bytesReceived(), request->contentLength()));
    };
    QObject::connect(&ticker, &QTimer::timeout, &loop, showProgress);
    QObject::connect(request.get(), &MediaFileRequestBase::finished, &loop, &QEventLoop::quit);
    QObject::connect(request.get(), &MediaFileRequestBase::error, &loop, &QEventLoop::quit);
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, &loop, [&]() {
        // Part files are flushed and closed; the next run continues from them.
        request->onPause(true);
        loop.exit(128 + interrupt.signalNumber());
    });
    ticker.start(250);
    request->start();
    const int interrupted = loop.exec();
    ticker.stop();
    showProgress();
    out.endProgress();
    if (interrupted != 0) {
        out.error(QStringLiteral("kestrofan-cli fetch: interrupted; run the same command again "
                                 "to continue"));
        return interrupted;
    }
    if (!request->errorText().isEmpty() || request->resultFileName().isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli fetch: ")
            + (request->errorText().isEmpty()
                    ? QStringLiteral("no file was made")
                    : UserFacingText::fromRecordedError(request->errorText())));
        return Failed;
    }

    QString extension;
    if (auto* joiner = dynamic_cast<AudioVideoJoiner*>(request->joiner()))
        extension = joiner->containerExtension();
    else if (video.size() > 1)
        extension = QFileInfo(request->resultFileName()).suffix();
    const QString target = uniquePath(folder, outputName(video.first(), extension));
    const qint64 size = QFileInfo(request->resultFileName()).size();
    if (!moveInto(request->resultFileName(), target)) {
        out.error(QStringLiteral("kestrofan-cli fetch: cannot move the file to ") + target);
        return Failed;
    }
    // The request's notes go with it; the parts folder goes too when nothing else is in it.
    request.reset();
    QDir().rmdir(folder.absoluteFilePath(kPartsFolder));
    if (out.isJson()) {
        out.json(
            QJsonObject { { QStringLiteral("file"), target }, { QStringLiteral("bytes"), size },
                { QStringLiteral("seconds"), progress.secondsElapsed() } });
    } else {
        out.line(target);
    }
    return Success;
}

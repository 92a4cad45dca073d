#include "FetchCommand.h"

#include "FetchProgress.h"
#include "InterruptNotifier.h"
#include "app/FileNames.h"
#include "app/MediaDescriptor.h"
#include "app/SafeFile.h"
#include "app/UserFacingText.h"
#include "app/WebAddress.h"
#include "core/AppContext.h"
#include "download/AudioVideoJoiner.h"
#include "download/MediaFileRequestBase.h"
#include "download/StreamRequests.h"
#include "net/HttpSemantics.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
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

// A stream header given as "Name: value".
bool parseHeader(const QString& text, QPair<QByteArray, QByteArray>* header)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    header->first = text.left(colon).trimmed().toLatin1();
    header->second = text.mid(colon + 1).trimmed().toUtf8();
    return HttpSemantics::isSafeHeader(header->first, header->second);
}

// Moves the file to "name.ext", or "name (2).ext" and so on when the folder has that name
// already (a link under the name counts as taken and is never written through). Returns the
// name used; empty with the reason in *error.
QString moveToFreeName(const QString& from, const QDir& folder, const QString& name, QString* error)
{
    const QFileInfo info(name);
    const QString extension = info.suffix();
    const QString stem = extension.isEmpty() ? name : info.completeBaseName();
    for (int n = 1; n < 10000; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
        const QString candidate = folder.filePath(FileNames::fitted(stem, suffix, extension));
        if (SafeFile::nameTaken(candidate))
            continue;
        if (SafeFile::moveToNewName(from, candidate, error))
            return candidate;
        // Taken between the look and the move: try the next number.
        if (!SafeFile::nameTaken(candidate))
            return QString();
    }
    *error = QStringLiteral("no free name");
    return QString();
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
    parser.addOption(QCommandLineOption(QStringLiteral("header"),
        QStringLiteral("An HTTP header the server wants with the stream, such as "
                       "\"Referer: https://example.org/\"; repeat for several."),
        QStringLiteral("NAME: VALUE")));
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
    // A server's name is only a suggestion: never a path, never hidden, never odd characters.
    QString name = FileNames::cleaned(url.fileName());
    if (name.isEmpty())
        name = QStringLiteral("download");
    if (extension.isEmpty()) {
        const QFileInfo info(name);
        return info.suffix().isEmpty()
            ? FileNames::fitted(name)
            : FileNames::fitted(info.completeBaseName(), QString(), info.suffix());
    }
    const QString stem = QFileInfo(name).completeBaseName();
    return FileNames::fitted(stem.isEmpty() ? name : stem, QString(), extension);
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
    HttpSemantics::HeaderList headers;
    for (const QString& text : parser.values(QStringLiteral("header"))) {
        QPair<QByteArray, QByteArray> header;
        if (!parseHeader(text, &header)) {
            out.error(QStringLiteral("kestrofan-cli fetch: not a header: ") + text);
            return UsageError;
        }
        headers.append(header);
    }
    const QDir folder(parser.value(QStringLiteral("out")));
    if (!QDir().mkpath(folder.absolutePath())) {
        out.error(QStringLiteral("kestrofan-cli fetch: cannot create ") + folder.absolutePath());
        return Failed;
    }
    if (!QFileInfo(folder.absolutePath()).isWritable()) {
        out.error(QStringLiteral("kestrofan-cli fetch: the folder %1 is not writable")
                      .arg(folder.absolutePath()));
        return Failed;
    }

    MediaUrls streams;
    streams.videoUrls = video;
    streams.audioUrls = audio;
    streams.videoFormat = format;
    streams.audioFormat = audio.isEmpty() ? -1 : formatFor(QString(), audio.first(), &formatOk);
    streams.videoHeaders = headers;
    streams.audioHeaders = headers;
    std::unique_ptr<MediaFileRequestBase> request(
        StreamRequests::forMediaUrls(streams, baseNameFor(video, audio), format));
    request->setTemporaryDirectory(folder.absoluteFilePath(kPartsFolder));
    request->setProcessPool(AppContext::processPool());
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
    // Queued: a request may fail inside start(), before the loop runs.
    QObject::connect(request.get(), &MediaFileRequestBase::finished, &loop, &QEventLoop::quit,
        Qt::QueuedConnection);
    QObject::connect(request.get(), &MediaFileRequestBase::error, &loop, &QEventLoop::quit,
        Qt::QueuedConnection);
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
    const QString name = outputName(video.first(), extension);
    const qint64 size = QFileInfo(request->resultFileName()).size();
    QString reason;
    const QString target = moveToFreeName(request->resultFileName(), folder, name, &reason);
    if (target.isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli fetch: cannot move the file to %1: %2")
                      .arg(folder.filePath(name), reason));
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

// Whole downloads end to end: kestrofan-cli and the download list in this process, with the
// system's yt-dlp and ffmpeg, on media that ffmpeg makes here and a server on 127.0.0.1
// serves. Each run checks many facts, since every download runs the helper twice.

#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"
#include "app/DbConnection.h"

#include "app/AppPaths.h"
#include "convert/ProcessPool.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/HelperRegistration.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingQueue.h"
#include "services/MediaItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>

namespace {

const char* const kCli = KESTROFAN_CLI;

// A feed service of our own whose uploads come in pages of one item.
const QString kLocalTube = QStringLiteral(R"(
var __settings = { serviceName: "Local Tube", validDomains: ["127.0.0.1"],
    supportsUploads: true, itemsPerPage: 1, revision: 1 };
function origin(address) { return t_getRegExMatch(address, /^(https?:\/\/[^\/]+)/, 1); }
function getUserIdFromURL(address) { return t_getRegExMatch(address, /\/user\/(\w+)/, 1); }
function getUploadsFeedURL(query, pageNo, pageSize, pageToken) {
    return origin(query) + "/feed/" + getUserIdFromURL(query) + "?page=" + pageNo;
}
function getMediaFeed(content) {
    var answer = JSON.parse(content);
    return { totalResults: answer.total, feed: answer.items.map(function (item) {
        return { id: item.id, permaURL: item.url, title: item.title }; }) };
}
)");

} // namespace

class TestDownloadJobs : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;
    QTemporaryDir m_work;
    QString m_mediaPath;
    qint64 m_slowSize = 0;

    ProgramRun cli(const QStringList& arguments)
    {
        return TestProcess::run(QString::fromLatin1(kCli), arguments);
    }

    QJsonArray downloads()
    {
        const ProgramRun run = cli({ "downloads", "--json" });
        return QJsonDocument::fromJson(run.out.toUtf8()).array();
    }

    QJsonObject download(int id)
    {
        for (const QJsonValue& row : downloads()) {
            if (row["id"].toInt() == id)
                return row.toObject();
        }
        return {};
    }

    int lastId()
    {
        const QJsonArray rows = downloads();
        return rows.isEmpty() ? -1 : rows.last()["id"].toInt();
    }

    // "video,audio" and so on: the kinds of the file's streams, as ffprobe reads them.
    static QString streamKinds(const QString& path)
    {
        const ProgramRun probe = TestProcess::run(QStringLiteral("ffprobe"),
            { "-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0", path });
        QStringList kinds = probe.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        kinds.removeDuplicates();
        return kinds.join(QLatin1Char(','));
    }

    QString tmpDir() const { return m_mediaPath + QStringLiteral("/Temporary files"); }

    // Ranged GETs of the slow file since the last clear, as (start, end) pairs.
    QList<QPair<qint64, qint64>> slowRanges() const
    {
        QList<QPair<qint64, qint64>> ranges;
        static const QRegularExpression range(QStringLiteral("bytes=(\\d+)-(\\d*)"));
        for (const TestHttpServer::Request& request : m_server.requests()) {
            if (request.path != QLatin1String("/slow.mp4") || request.method != "GET")
                continue;
            const auto match = range.match(QString::fromLatin1(request.header("Range")));
            if (match.hasMatch())
                ranges.append({ match.captured(1).toLongLong(),
                    match.captured(2).isEmpty() ? m_slowSize - 1
                                                : match.captured(2).toLongLong() });
        }
        return ranges;
    }

private slots:
    void initTestCase()
    {
        if (!mediaToolsForLocalServer())
            QSKIP("yt-dlp and ffmpeg are needed");
        QCOMPARE(cli({ "setup" }).exitCode, 0);
        m_mediaPath = m_work.filePath(QStringLiteral("media"));
        QCOMPARE(cli({ "config", "mediaPath", m_mediaPath }).exitCode, 0);

        const QDir work(m_work.path());
        work.mkpath(QStringLiteral("hls"));
        work.mkpath(QStringLiteral("dash"));
        const auto ffmpeg = [&work](const QString& arguments, const QStringList& more = {}) {
            return TestProcess::ffmpeg(arguments.split(QLatin1Char(' ')) + more, work.path());
        };
        const QString sources
            = QStringLiteral("-f lavfi -i testsrc=size=64x48:rate=10:duration=2 -f lavfi -i "
                             "sine=frequency=440:duration=2 -c:v libx264 -g 5 -pix_fmt yuv420p "
                             "-c:a aac ");
        QVERIFY(ffmpeg(sources + "clip.mp4"));
        QVERIFY(ffmpeg(sources
            + "-f hls -hls_time 0.5 -hls_list_size 0 -hls_segment_filename hls/seg%d.ts "
              "hls/index.m3u8"));
        QVERIFY(ffmpeg(sources + "-map 0:v -map 1:a -f dash -adaptation_sets",
            { "id=0,streams=v id=1,streams=a", "dash/manifest.mpd" }));
        // A clip big enough to be caught while it downloads at a throttled pace.
        QVERIFY(ffmpeg("-f lavfi -i testsrc=size=320x240:rate=25:duration=20 -f lavfi -i "
                       "sine=duration=20 -c:v libx264 -preset ultrafast -qp 0 -pix_fmt yuv420p "
                       "-c:a aac slow.mp4"));
        m_slowSize = QFileInfo(m_work.filePath(QStringLiteral("slow.mp4"))).size();
        QVERIFY2(m_slowSize > 1500000, qPrintable(QString::number(m_slowSize)));

        QVERIFY(m_server.start());
        for (const QString name : { "clip", "slow" })
            m_server.serveFileFromDisk(
                "/" + name + ".mp4", work.filePath(name + ".mp4"), "video/mp4");
        m_server.serveVideoPage("/page.html", "Clip page", "/clip.mp4");
        m_server.serveVideoPage("/slow.html", "Slow page", "/slow.mp4");
        m_server.serveVideoPage("/broken.html", "Broken page", "/gone.mp4");
        m_server.serveMediaFolder("/hls", m_work.filePath("hls"));
        m_server.serveMediaFolder("/dash", m_work.filePath("dash"));
    }

    void downloadsThroughTheGenericService_data()
    {
        testColumns<QString, QString, QString, QString>("path", "option", "suffix", "streams");
        testRow("video page as MP4", "/page.html", "--video", ".mp4", "video,audio");
        testRow("same page as MP3", "/page.html", "--audio", ".mp3", "audio");
        testRow(
            "DASH, separate streams muxed", "/dash/manifest.mpd", "--video", ".mp4", "video,audio");
        testRow("HLS stream", "/hls/index.m3u8", "--video", ".mp4", "video,audio");
    }

    void downloadsThroughTheGenericService()
    {
        const auto [path, option, suffix, streams]
            = testFetch<QString, QString, QString, QString>("path", "option", "suffix", "streams");
        const ProgramRun run = cli({ "download", option, m_server.url(path).toString() });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QString file = run.out.trimmed().split(QLatin1Char('\n')).first();
        QVERIFY2(file.endsWith(suffix), qPrintable(run.out));
        QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(m_mediaPath).canonicalFilePath());
        QCOMPARE(streamKinds(file), streams);
        QVERIFY2(
            run.err.contains(QStringLiteral("Download queue finished: 1 successful download(s)\n")),
            qPrintable(run.err));
        const QJsonObject row = download(lastId());
        QCOMPARE(row["stateName"].toString(), QStringLiteral("Finished"));
        QCOMPARE(row["finishedFile"].toString(), file);
        QCOMPARE(row["mediaType"].toString(), option.mid(2));
        QCOMPARE(row["errorText"].toString(), QString());
        // Nothing of the job is left behind in the temporary folder.
        QCOMPARE(QDir(tmpDir()).entryList(QDir::Files), QStringList());
    }

    void secondDownloadAndQueueFinishedTexts()
    {
        const QString page = m_server.url(QStringLiteral("/page.html")).toString();
        const ProgramRun first = cli({ "download", "--video", page });
        QCOMPARE(first.exitCode, 0);
        const QString firstFile = first.out.trimmed();
        // The same title again, beside a failing page: a "-1" file, one error, exit 1.
        const ProgramRun run = cli({ "download", "--video", page,
            m_server.url(QStringLiteral("/broken.html")).toString() });
        QCOMPARE(run.exitCode, 1);
        QStringList files = run.out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(files.size(), 1);
        // The same title takes the next free number: "T.mp4", "T-1.mp4", "T-2.mp4", ...
        static const QRegularExpression numbered(QStringLiteral("^(.*?)(?:-(\\d+))?\\.mp4$"));
        const QRegularExpressionMatch name = numbered.match(firstFile);
        QVERIFY(name.hasMatch());
        QCOMPARE(files.first(),
            name.captured(1) + QStringLiteral("-%1.mp4").arg(name.captured(2).toInt() + 1));
        QVERIFY(QFileInfo(firstFile).isFile());
        // The queue may drain between the two (the second page is still being read): its
        // notices count one success and one error in all.
        static const QRegularExpression notice(
            QStringLiteral("Download queue finished: (\\d+) successful download\\(s\\)(?:, (\\d+) "
                           "error\\(s\\))?"));
        int successes = 0;
        int errors = 0;
        for (const QRegularExpressionMatch& match : notice.globalMatch(run.err)) {
            successes += match.captured(1).toInt();
            errors += match.captured(2).toInt();
        }
        QVERIFY2(successes == 1 && errors == 1, qPrintable(run.err));
        QVERIFY2(run.err.contains(QRegularExpression(QStringLiteral(
                     "\"Broken page[^\"]*\" failed: Remote media file not found, got HTTP status "
                     "404"))),
            qPrintable(run.err));
        // The two pages are read at the same time: either may be recorded first.
        QJsonObject failed;
        for (const QJsonValue& row : downloads()) {
            if (row["stateName"].toString() != QLatin1String("Finished"))
                failed = row.toObject();
        }
        QCOMPARE(failed["stateName"].toString(), QStringLiteral("Error"));
        QVERIFY(failed["errorText"].toString().contains(QStringLiteral("404")));

        // clean takes the finished rows, remove the failed one.
        const int failedId = failed["id"].toInt();
        QCOMPARE(cli({ "clean" }).exitCode, 0);
        const QJsonArray left = downloads();
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.first()["id"].toInt(), failedId);
        QCOMPARE(cli({ "remove", QString::number(failedId) }).exitCode, 0);
        QCOMPARE(downloads().size(), 0);
        QCOMPARE(cli({ "remove", QString::number(failedId) }).exitCode, 1);
    }

    void unwritableDestinationStopsTheQueue()
    {
        const QString plainFile = m_work.filePath(QStringLiteral("not-a-folder"));
        QVERIFY(writeFile(plainFile, {}));
        QCOMPARE(cli({ "config", "mediaPath", plainFile }).exitCode, 0);
        const ProgramRun run
            = cli({ "download", "--video", m_server.url(QStringLiteral("/page.html")).toString() });
        QCOMPARE(cli({ "config", "mediaPath", m_mediaPath }).exitCode, 0);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            run.err.contains(
                QStringLiteral("The download destination\n%1/\nis not writable.").arg(plainFile)),
            qPrintable(run.err));
        QCOMPARE(download(lastId())["stateName"].toString(), QStringLiteral("Cancelled"));
        QCOMPARE(cli({ "clean" }).exitCode, 0);
    }

    void interruptedDownloadsResumeFromTheirParts()
    {
        TestHttpServer::FileOptions slow;
        // Each part takes about ten seconds.
        slow.bytesPerSecond = m_slowSize / 80;
        m_server.setFileOptions(QStringLiteral("/slow.mp4"), slow);
        const QString page = m_server.url(QStringLiteral("/slow.html")).toString();
        // Bytes on disk: the parts write into one sparse file at their own offsets.
        const auto partBytes = [this] {
            qint64 bytes = 0;
            for (const QFileInfo& info : QDir(tmpDir()).entryInfoList(QDir::Files)) {
                struct stat status = {};
                if (::stat(QFile::encodeName(info.filePath()).constData(), &status) == 0)
                    bytes += qint64(status.st_blocks) * 512;
            }
            return bytes;
        };

        // Ctrl-C: paused, not cancelled.
        QProcess process;
        process.start(QString::fromLatin1(kCli), { "download", "--video", page });
        QVERIFY(process.waitForStarted());
        // The margin covers the lock file and the note, which go when the process ends.
        QTRY_VERIFY_WITH_TIMEOUT(partBytes() > m_slowSize / 10 + 65536, 30000);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 128 + SIGINT);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains("interrupted"));
        const int id = lastId();
        QCOMPARE(download(id)["stateName"].toString(), QStringLiteral("Downloading"));
        const qint64 kept = partBytes();
        QVERIFY(kept > m_slowSize / 10);

        // Killed outright while "resume" runs it.
        m_server.clearRequests();
        process.start(QString::fromLatin1(kCli), { "resume" });
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(partBytes() > kept + m_slowSize / 10, 30000);
        process.kill();
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(!slowRanges().isEmpty());
        for (const auto& range : slowRanges())
            QVERIFY2(range.first > 0, "the first part went on from its bytes on disk");

        // Resumed to the end: only the missing bytes are fetched again.
        m_server.setFileOptions(QStringLiteral("/slow.mp4"), TestHttpServer::FileOptions());
        m_server.clearRequests();
        const ProgramRun resumed = cli({ "resume" });
        QVERIFY2(resumed.exitCode == 0, qPrintable(resumed.err));
        qint64 fetched = 0;
        for (const auto& range : slowRanges())
            fetched += range.second - range.first + 1;
        QVERIFY2(fetched < m_slowSize - kept / 2,
            qPrintable(QStringLiteral("%1 of %2").arg(fetched).arg(m_slowSize)));
        const QJsonObject row = download(id);
        QCOMPARE(row["stateName"].toString(), QStringLiteral("Finished"));
        QCOMPARE(streamKinds(row["finishedFile"].toString()), QStringLiteral("video,audio"));
        QCOMPARE(resumed.out.trimmed(), row["finishedFile"].toString());
        QCOMPARE(cli({ "clean" }).exitCode, 0);
    }

    void pausedCancelledAndResumedInProcess()
    {
        CoreTestContext core;
        QVERIFY(core.isReady());
        core.context()->createServiceRegistries();
        TestHttpServer::FileOptions slow;
        slow.bytesPerSecond = m_slowSize / 6;
        m_server.setFileOptions(QStringLiteral("/slow.mp4"), slow);
        DownloadsModel records(nullptr, DbConnection().connection());
        ProcessingQueue* queue = AppContext::processingQueue();
        queue->setPaused(false);
        JobServices services;
        services.records = &records;
        services.services = AppContext::serviceRegistry();
        services.helpers = AppContext::helperRegistry();
        services.processPool = AppContext::processPool();
        DownloadList list(queue, services, [] { return JobSettings::fromPreferences(); });
        MediaItem item(QStringLiteral("Generic Service"));
        item.setTitle(QStringLiteral("Slow page"));
        item.setPermaUrl(m_server.url(QStringLiteral("/slow.html")).toString());

        m_server.clearRequests();
        ProcessingElement* cancelled = list.startDownload(item, MediaDescriptor::Video);
        ProcessingElement* paused = list.startDownload(item, MediaDescriptor::Video);
        QTRY_COMPARE_WITH_TIMEOUT(cancelled->state(), ProcessingStates::Downloading, 30000);
        QTRY_VERIFY(cancelled->bytesReceived() > 0);
        // One download at a time, but the next job's page is read while the first downloads.
        QTRY_VERIFY_WITH_TIMEOUT(m_server.requestCount(QStringLiteral("/slow.html")) >= 2, 30000);
        QCOMPARE(paused->state(), ProcessingStates::Waiting);
        QCOMPARE(cancelled->contentLength(), m_slowSize);
        const QString base = cancelled->fileBaseName();
        QVERIFY(!QDir(tmpDir()).entryList({ base + QLatin1Char('*') }, QDir::Files).isEmpty());
        cancelled->cancel();
        QCOMPARE(cancelled->state(), ProcessingStates::Cancelled);
        QTRY_COMPARE(
            QDir(tmpDir()).entryList({ base + QLatin1Char('*') }, QDir::Files), QStringList());

        QTRY_VERIFY_WITH_TIMEOUT(paused->progress() > 5, 30000);
        paused->pause(true);
        const qint64 atPause = paused->bytesReceived();
        QVERIFY(!QTest::qWaitFor([&] { return paused->bytesReceived() > atPause + 65536; }, 1000));
        QCOMPARE(paused->state(), ProcessingStates::Downloading);
        m_server.setFileOptions(QStringLiteral("/slow.mp4"), TestHttpServer::FileOptions());
        QSignalSpy finished(paused, &ProcessingElement::finishedSignal);
        paused->pause(false);
        QVERIFY(finished.wait(60000));
        QCOMPARE(paused->state(), ProcessingStates::Finished);
        QCOMPARE(paused->progress(), 100);
        QCOMPARE(streamKinds(paused->finishedFileName()), QStringLiteral("video,audio"));
        list.cleanUp();
    }

    void batchDownloadAcrossThreePages()
    {
        QVERIFY(writeFile(AppPaths::servicePluginsLocation() + "/localtube/service.plugin",
            qCompress(kLocalTube.toUtf8())));
        for (int page = 1; page <= 3; ++page)
            m_server.serveVideoPage(QStringLiteral("/v/%1.html").arg(page),
                QStringLiteral("Item %1").arg(page), QStringLiteral("/clip.mp4"));
        m_server.route(QStringLiteral("/feed/ann"), [this](const TestHttpServer::Request& request) {
            const int page = request.query.section(QLatin1Char('='), 1).toInt();
            const QJsonObject item { { "id", QString::number(page) },
                { "title", QStringLiteral("Item %1").arg(page) },
                { "url", m_server.url(QStringLiteral("/v/%1.html").arg(page)).toString() } };
            return TestHttpServer::Response::json(
                QJsonObject { { "total", 3 }, { "items", QJsonArray { item } } });
        });
        const ProgramRun run = cli({ "download-feed",
            m_server.url(QStringLiteral("/user/ann")).toString(), "--kind", "uploads", "--video" });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(m_server.requestCount(QStringLiteral("/feed/ann")), 3);
        QStringList names;
        for (const QString& file : run.out.trimmed().split(QLatin1Char('\n')))
            names << QFileInfo(file).fileName();
        names.sort();
        QCOMPARE(names, (QStringList { "Item 1.mp4", "Item 2.mp4", "Item 3.mp4" }));
        QVERIFY(run.err.contains(QStringLiteral("3 successful download(s)")));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestDownloadJobs)
#include "tst_downloadjobs.moc"

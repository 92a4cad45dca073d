#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/MediaFileRequest.h"
#include "download/RunningParts.h"
#include "download/SegmentedAVMediaFileRequest.h"
#include "download/StreamRequests.h"
#include "download/TransferTimings.h"

#include "download/MediaPartFileRequest.h"

#include <atomic>

using namespace TransferTestSupport;

// Whole-file downloads: probing, part layout, the program-wide part limit, servers that refuse
// HEAD, redirect, answer in text, ignore ranges or send no length, resuming from part files,
// and separate video and audio fetched one after the other.
class FileRequestTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<MediaFileRequest*> m_requests;
    const QByteArray m_body = patternBytes(3 * 1024 * 1024 + 123, 7);

    MediaFileRequest* makeRequest(const QString& path, const QString& baseName)
    {
        auto* request = new MediaFileRequest(m_server.url(path), baseName);
        request->setTemporaryDirectory(m_dir->path());
        m_requests << request;
        return request;
    }
    // Runs the request until it finishes or fails; true when it finished without an error.
    static bool runToEnd(MediaFileRequestBase& request)
    {
        QSignalSpy finished(&request, &MediaFileRequestBase::finished);
        QSignalSpy failed(&request, &MediaFileRequestBase::error);
        request.start();
        return QTest::qWaitFor([&] { return !finished.isEmpty() || !failed.isEmpty(); }, 60000)
            && !finished.isEmpty() && request.errorText().isEmpty();
    }
    // Fetches the path whole; the error text, or the downloaded bytes' mismatch.
    QString fetchError(const QString& path, const QString& baseName = "file")
    {
        MediaFileRequest* request = makeRequest(path, baseName);
        if (!runToEnd(*request))
            return request->errorText().isEmpty() ? "no end" : request->errorText();
        return readFile(request->resultFileName()) == m_body ? QString() : "wrong bytes";
    }
    QStringList rangesAskedFor(const QString& path) const
    {
        QStringList ranges;
        for (const TestHttpRequest& request : gets(m_server, path))
            ranges << QString::fromLatin1(request.header("range"));
        return ranges;
    }
    QStringList temporaryFiles() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void slowDown(const QString& path, qint64 bytesPerSecond)
    {
        TestHttpFileOptions slow;
        slow.bytesPerSecond = bytesPerSecond;
        m_server.setFileOptions(path, slow);
    }
    // Starts a slowed download of /media.bin; null when it does not get past "bytes" in time.
    MediaFileRequest* startSlowly(
        const QString& baseName, qint64 bytes, TestHttpFileOptions options = {})
    {
        options.bytesPerSecond = options.bytesPerSecond ? options.bytesPerSecond : 1024 * 1024;
        m_server.setFileOptions("/media.bin", options);
        MediaFileRequest* request = makeRequest("/media.bin", baseName);
        request->start();
        return QTest::qWaitFor([&] { return request->bytesReceived() > bytes; }, 20000) ? request
                                                                                        : nullptr;
    }
    // Pauses a slowed download of /media.bin once it has "bytes", and drops it.
    qint64 interruptedDownload(const QString& baseName, qint64 bytes)
    {
        MediaFileRequest* earlier = startSlowly(baseName, bytes);
        if (!earlier)
            return -1;
        earlier->onPause(true);
        const qint64 kept = earlier->bytesReceived();
        m_requests.removeOne(earlier);
        delete earlier;
        m_server.setFileOptions("/media.bin", {});
        m_server.clearRequests();
        return kept;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        TransferTimings::setWatchdogMs(2000);
        TransferTimings::setRetryDelayMs(10);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_server.serveFile("/media.bin", m_body);
        m_server.setFileOptions("/media.bin", {});
        m_server.clearRequests();
    }

    void cleanup()
    {
        TransferTimings::setProbeTimeoutMs(30000);
        qDeleteAll(m_requests);
        m_requests.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(RunningParts::instance()->count(), 0);
    }

    void hundredMebibytesInElevenRanges()
    {
        const qint64 length = 100 * 1048576;
        QFile sparse(m_dir->filePath("served.bin"));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(length));
        sparse.close();
        m_server.serveFileFromDisk("/big.bin", sparse.fileName());

        MediaFileRequest* request = makeRequest("/big.bin", "big");
        QSignalSpy names(request, &MediaFileRequestBase::hasFileName);
        QVERIFY2(runToEnd(*request), qPrintable(request->errorText()));
        QCOMPARE(request->partCount(), 11);
        const qint64 size = length / 11;
        QStringList expected;
        for (qint64 n = 1; n <= 11; ++n)
            expected << QString("bytes=%1-%2")
                            .arg(size * (n - 1))
                            .arg(n == 11 ? length - 1 : size * n - 1);
        QStringList asked = rangesAskedFor("/big.bin");
        asked.sort();
        expected.sort();
        QCOMPARE(asked, expected);
        // The ranges are written in place, into the first part's file.
        QCOMPARE(names.size(), 11);
        QCOMPARE(names.at(2).at(1).toString(), m_dir->filePath("big.part1"));
        QCOMPARE(request->resultFileName(), m_dir->filePath("big.part"));
        QCOMPARE(QFileInfo(request->resultFileName()).size(), length);
        QCOMPARE(request->bytesReceived(), length);
    }

    void twoRequestsShareFiveRunningParts()
    {
        slowDown("/media.bin", 3 * 1024 * 1024);
        m_server.serveFile("/other.bin", m_body.left(2 * 1024 * 1024));
        slowDown("/other.bin", 3 * 1024 * 1024);
        MediaFileRequest* first = makeRequest("/media.bin", "one");
        MediaFileRequest* second = makeRequest("/other.bin", "two");
        QSignalSpy firstDone(first, &MediaFileRequestBase::finished);
        QSignalSpy secondDone(second, &MediaFileRequestBase::finished);
        int most = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this,
            [&] { most = qMax(most, RunningParts::instance()->count()); });
        sampler.start(5);
        first->start();
        QTRY_VERIFY_WITH_TIMEOUT(RunningParts::instance()->count() == 5, 20000);
        second->start(); // gets its slots as the first one's parts end
        QTRY_VERIFY_WITH_TIMEOUT(!firstDone.isEmpty() && !secondDone.isEmpty(), 60000);
        QCOMPARE(most, 5);
        QCOMPARE(readFile(first->resultFileName()), m_body);
        QCOMPARE(readFile(second->resultFileName()), m_body.left(2 * 1024 * 1024));
    }

    void refusedHeadFallsBackToGet_data()
    {
        testColumns<bool>("allowHeader");
        testRow("no Access-Control-Allow-Methods", false);
        testRow("Access-Control-Allow-Methods without HEAD", true);
    }

    void refusedHeadFallsBackToGet()
    {
        QFETCH(bool, allowHeader);
        TestHttpFileOptions refuse;
        refuse.refuseHead = true;
        refuse.allowMethodsHeader = allowHeader;
        m_server.setFileOptions("/media.bin", refuse);
        QCOMPARE(fetchError("/media.bin"), QString());
        // The probe's GET asks for no range; the eight parts do.
        const QStringList ranges = rangesAskedFor("/media.bin");
        QCOMPARE(ranges.count(QString()), 2);
        QCOMPARE(ranges.size(), 2 + 8);
    }

    void failures_data()
    {
        testColumns<QString, QString>("path", "error");
        const QString status = "Remote media file not found, got HTTP status ";
        const QString head = "MediaFileRequest::headReplyFinished(): ";
        const QString text = head + "Response was text, but didn't contain a URL:";
        testRow("403", "/forbidden", status + "403");
        testRow("404", "/missing", status + "404: " + m_server.url("/missing").toString());
        testRow("7 redirects", "/r1", head + "Too many redirects; giving up");
        testRow("text without address", "/chatter", text + "no file");
        testRow("redirect to a local file", "/to-local", status + "302: file:///etc/hostname");
        testRow("text naming a local file", "/text-local", text + "httpfile:///etc/hostname");
    }

    void failures()
    {
        auto [path, error] = testFetch<QString, QString>("path", "error");
        m_server.answer("/forbidden",
            TestHttpResponse::bytes({}, 403).withHeader(
                "Access-Control-Allow-Methods", "GET, HEAD"));
        serveRedirects(m_server, "/r", 7, m_server.url("/media.bin"));
        m_server.answer("/chatter", TestHttpResponse::text("no file"));
        m_server.answer("/to-local", TestHttpResponse::redirect(QUrl("file:///etc/hostname")));
        m_server.answer("/text-local", TestHttpResponse::text("httpfile:///etc/hostname"));
        MediaFileRequest* request = makeRequest(path, "f");
        QSignalSpy errors(request, &MediaFileRequestBase::error);
        QVERIFY(!runToEnd(*request));
        QCOMPARE(request->errorText(), error);
        // The job hears it once, though both probes failed.
        QVERIFY(!errors.wait(50) && errors.size() == 1);
        QVERIFY(temporaryFiles().isEmpty());
    }

    void redirectsAndTextAnswersLeadToTheFile()
    {
        serveRedirects(m_server, "/s", 6, m_server.url("/media.bin"));
        QCOMPARE(fetchError("/s1", "six"), QString());
        m_server.answer(
            "/pointer", TestHttpResponse::text(m_server.url("/media.bin").toString() + "\n"));
        QCOMPARE(fetchError("/pointer", "p"), QString());
    }

    void serverIgnoringRangesGivesOneWholeDownload()
    {
        TestHttpFileOptions noRanges;
        noRanges.ignoreRanges = true;
        m_server.setFileOptions("/media.bin", noRanges);
        QCOMPARE(fetchError("/media.bin", "whole"), QString());
        QCOMPARE(m_requests.last()->partCount(), 1);
        QCOMPARE(rangesAskedFor("/media.bin").last(), QString());
        QCOMPARE(m_requests.last()->bytesReceived(), m_body.size());
        QCOMPARE(temporaryFiles(), QStringList({ "whole", "whole.lock", "whole.resume" }));
    }

    void missingLengthGivesOneWholeDownload()
    {
        TestHttpResponse stream = TestHttpResponse::bytes(m_body);
        stream.omitContentLength = true;
        m_server.answer("/stream", stream);
        QCOMPARE(fetchError("/stream"), QString());
        QCOMPARE(m_requests.last()->contentLength(), 0);
        // No range is asked for. (Qt may send a pipelined request twice when the server closes.)
        const QStringList ranges = rangesAskedFor("/stream");
        QCOMPARE(QSet<QString>(ranges.cbegin(), ranges.cend()), QSet<QString> { QString() });
    }

    void restartedRequestContinuesFromPartFiles()
    {
        const qint64 kept = interruptedDownload("again", 600000);
        QVERIFY(temporaryFiles().contains("again.part1"));
        QCOMPARE(fetchError("/media.bin", "again"), QString());
        // Only what was missing went over the wire the second time.
        QCOMPARE(bytesAskedFor(m_server, "/media.bin"), m_body.size() - kept);
        QCOMPARE(m_requests.last()->bytesReceived(), m_body.size());

        // Joined but not taken over yet (a crash before the conversion): nothing to fetch.
        MediaFileRequest* crashed = m_requests.takeLast();
        QFile::rename(m_dir->filePath("again.resume"), m_dir->filePath("kept"));
        delete crashed; // gives up the lock; a crash leaves the note behind
        QFile::rename(m_dir->filePath("kept"), m_dir->filePath("again.resume"));
        m_server.clearRequests();
        QCOMPARE(fetchError("/media.bin", "again"), QString());
        QVERIFY(m_requests.last()->complete());
        QVERIFY(rangesAskedFor("/media.bin").isEmpty());
    }

    void partsOfAnotherVersionAreNotReused()
    {
        interruptedDownload("ver", 200000);
        // A different length on the server means different ranges.
        const QByteArray newer = patternBytes(m_body.size() + 4096, 99);
        m_server.serveFile("/media.bin", newer);
        MediaFileRequest* later = makeRequest("/media.bin", "ver");
        QVERIFY(runToEnd(*later));
        QCOMPARE(readFile(later->resultFileName()), newer);
    }

    void cancelRemovesThePartFiles()
    {
        MediaFileRequest* request = startSlowly("gone", 100000);
        QVERIFY(request && !temporaryFiles().isEmpty());
        request->onCancelDownload();
        QCOMPARE(temporaryFiles(), QStringList());
        QCOMPARE(RunningParts::instance()->count(), 0);
    }

    void tinyFilesAndUnsafeNames()
    {
        // Fewer bytes than parts: no range may be empty.
        m_server.serveFile("/tiny", "12345");
        MediaFileRequest* tiny = makeRequest("/tiny", "tiny");
        QVERIFY2(runToEnd(*tiny), qPrintable(tiny->errorText()));
        QCOMPARE(tiny->partCount(), 5);
        QCOMPARE(readFile(tiny->resultFileName()), QByteArray("12345"));

        // Nothing a caller or server names reaches outside the temporary folder.
        for (const QString& name :
            QStringList { "..", "../x", "a/b", "a\\b", "", "x\ny", QString(256, 'n') })
            QVERIFY2(tiny->tempFilePath(name).isEmpty(), qPrintable(name));
        QCOMPARE(tiny->tempFilePath("ok.part"), m_dir->filePath("ok.part"));
        MediaFileRequest* escaping = makeRequest("/tiny", "../escape");
        QVERIFY(!runToEnd(*escaping));
        QCOMPARE(escaping->errorText(), "Download failed: invalid file name");
        QVERIFY(!QFileInfo::exists(m_dir->filePath("../escape")));
        QVERIFY(!QFileInfo::exists(m_dir->filePath("../escape.part1")));
    }

    void videoThenAudioThenMux()
    {
        const QString video = m_dir->filePath("v.mp4");
        const QString audio = m_dir->filePath("a.m4a");
        QVERIFY(makeVideo(video, 2));
        QVERIFY(makeTone(audio, "aac", 2));
        m_server.serveFileFromDisk("/v.mp4", video);
        m_server.serveFileFromDisk("/a.m4a", audio);
        slowDown("/v.mp4", 200 * 1024);
        slowDown("/a.m4a", 200 * 1024);

        SegmentedAVMediaFileRequest request(new MediaFileRequest(m_server.url("/v.mp4"), "av"),
            new MediaFileRequest(m_server.url("/a.m4a"), "av_audio"), "av", MediaDescriptor::MP4);
        request.setTemporaryDirectory(m_dir->filePath("tmp"));
        QVERIFY2(runToEnd(request), qPrintable(request.errorText()));
        QCOMPARE(request.resultFileName(), m_dir->filePath("tmp/av.part"));
        QCOMPARE(streamCodecs(request.resultFileName()), QStringList({ "h264", "aac" }));
        QCOMPARE(request.bytesReceived(), QFileInfo(video).size() + QFileInfo(audio).size());
        QCOMPARE(request.contentLength(), request.bytesReceived());

        // Every audio GET came after the last video GET.
        QStringList order;
        for (const TestHttpRequest& sent : m_server.requests())
            order << (sent.method == QLatin1String("GET") ? sent.path : QString());
        const qsizetype lastVideo = order.lastIndexOf("/v.mp4");
        QVERIFY(lastVideo >= 0 && order.indexOf("/a.m4a") > lastVideo);
    }

    void textAnswers_data()
    {
        // shown: after the error's prefix; null: downloaded
        testColumns<QByteArray, QByteArray, QString>("contentType", "body", "shown");
        const QString none;
        const QByteArray page = "<html><body>" + QByteArray(300, 'x') + "</body></html>";
        testRow("long text file", QByteArray("text/plain"), m_body, none);
        testRow("html page", QByteArray("text/html"), page, QString::fromLatin1(page.left(200)));
        testRow(
            "long html page", QByteArray("text/html; charset=utf-8"), "<html>" + m_body, "<html>");
        testRow("short text with control bytes", QByteArray("text/plain"),
            QByteArray("\x01\x02no\tfile\xff\r\n"), "no file");
    }

    void textAnswers()
    {
        auto [contentType, body, shown]
            = testFetch<QByteArray, QByteArray, QString>("contentType", "body", "shown");
        m_server.serveFile("/answer", body, contentType);
        const QString error = fetchError("/answer", "text");
        if (shown.isNull()) {
            QCOMPARE(error, QString());
            QCOMPARE(readFile(m_requests.last()->resultFileName()), body);
            QCOMPARE(m_requests.last()->partCount(), 8); // in ranges, like any file
            return;
        }
        const QString prefix = "MediaFileRequest::headReplyFinished(): Response was text, but "
                               "didn't contain a URL:";
        QVERIFY2(error.startsWith(prefix), qPrintable(error));
        QVERIFY(error.mid(prefix.size()).startsWith(shown));
        QVERIFY(error.size() <= prefix.size() + 200);
    }

    void silentServerFailsNamingTheHost()
    {
        TransferTimings::setProbeTimeoutMs(300);
        TestHttpFileOptions silent;
        silent.silentTimes = 1000;
        m_server.setFileOptions("/media.bin", silent);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(fetchError("/media.bin"),
            "Download failed: 127.0.0.1 did not answer (3 attempts of 0.3 seconds)");
        QVERIFY(clock.elapsed() < 5000);
        // One silent answer is only a retry.
        silent.silentTimes = 1;
        m_server.setFileOptions("/media.bin", silent);
        QCOMPARE(fetchError("/media.bin", "second"), QString());
    }

    void changedFileStartsOver_data()
    {
        testColumns<bool>("serverHonoursIfRange");
        testRow("server honours If-Range", true);
        testRow("server ignores If-Range", false);
    }

    void changedFileStartsOver()
    {
        QFETCH(bool, serverHonoursIfRange);
        TestHttpFileOptions first;
        first.etag = "\"v1\"";
        MediaFileRequest* request = startSlowly("changing", 300000, first);
        QVERIFY(request);
        QSignalSpy finished(request, &MediaFileRequestBase::finished);

        const QByteArray newer = patternBytes(m_body.size(), 42);
        m_server.serveFile("/media.bin", newer);
        TestHttpFileOptions second;
        second.etag = "\"v2\"";
        second.ignoreIfRange = !serverHonoursIfRange;
        m_server.setFileOptions("/media.bin", second);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
        QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
        QCOMPARE(readFile(request->resultFileName()), newer);
        QCOMPARE(request->bytesReceived(), newer.size());
        QStringList validators;
        for (const TestHttpRequest& get : gets(m_server, "/media.bin"))
            validators << QString::fromLatin1(get.header("if-range"));
        QVERIFY(validators.contains("\"v1\"") && validators.contains("\"v2\""));
    }

    void fileChangingAllTheTimeFails()
    {
        auto version = std::make_shared<std::atomic<int>>(0);
        const QByteArray body = m_body;
        m_server.route("/restless", [version, body](const TestHttpRequest& request) {
            TestHttpResponse response;
            response.withHeader("ETag", "\"" + QByteArray::number(++*version) + "\"");
            response.withHeader("Accept-Ranges", "bytes");
            const QList<QByteArray> range = request.header("range").mid(6).split('-');
            if (range.size() != 2) {
                response.body = body;
                return response;
            }
            const qint64 first = range.at(0).toLongLong();
            const qint64 last = range.at(1).toLongLong();
            response.status = 206;
            response.body = body.mid(first, last - first + 1);
            response.withHeader("Content-Range",
                "bytes " + range.at(0) + '-' + range.at(1) + '/' + QByteArray::number(body.size()));
            return response;
        });
        QCOMPARE(fetchError("/restless"),
            "Download failed: the file keeps changing on the server; try again "
            "later");
    }

    void removedFolderIsNeverASuccess()
    {
        MediaFileRequest* request = startSlowly("gone", 300000);
        QVERIFY(request);
        QSignalSpy finished(request, &MediaFileRequestBase::finished);
        QSignalSpy failed(request, &MediaFileRequestBase::error);
        QVERIFY(QDir(m_dir->path()).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty() || !finished.isEmpty(), 60000);
        QVERIFY2(request->errorText().contains("was removed or replaced during the download"),
            qPrintable(request->errorText()));
        QVERIFY(!request->complete());
    }

    void noteClaimingMoreThanTheFileHolds()
    {
        interruptedDownload("cut", 2000000);
        // The data file lost its end (a crash before the data reached the disk).
        QVERIFY(QFile::resize(m_dir->filePath("cut.part1"), 1000));
        QCOMPARE(fetchError("/media.bin", "cut"), QString());
    }

    void secondRunOfTheSameDownloadIsRefused()
    {
        TestHttpFileOptions fast;
        fast.bytesPerSecond = 2 * 1024 * 1024;
        MediaFileRequest* first = startSlowly("twice", 0, fast);
        QVERIFY(first);
        MediaFileRequest* second = makeRequest("/media.bin", "twice");
        QVERIFY(!runToEnd(*second));
        QCOMPARE(second->errorText(), "This file is already being downloaded by another run");
        QVERIFY(runToEnd(*first));
        QCOMPARE(readFile(first->resultFileName()), m_body);
    }

    void linkDroppingEveryMebibyteFinishes()
    {
        const QByteArray big = patternBytes(25 * 1000 * 1000, 5);
        m_server.serveFile("/big", big);
        TestHttpFileOptions drops;
        drops.dropAfterBytes = 1024 * 1024;
        m_server.setFileOptions("/big", drops);
        MediaFileRequest* request = makeRequest("/big", "drops");
        QVERIFY2(runToEnd(*request), qPrintable(request->errorText()));
        QCOMPARE(readFile(request->resultFileName()), big);
    }

    void streamHeadersGoWithEveryRequest()
    {
        MediaUrls urls;
        urls.videoUrls = { m_server.url("/media.bin") };
        urls.videoHeaders = { { "Referer", "http://127.0.0.1/page" }, { "User-Agent", "other" },
            { "X-Bad", "a\r\nInjected: yes" } };
        std::unique_ptr<MediaFileRequestBase> request(
            StreamRequests::forMediaUrls(urls, "headers", MediaDescriptor::MP4));
        request->setTemporaryDirectory(m_dir->path());
        QVERIFY2(runToEnd(*request), qPrintable(request->errorText()));
        int gets = 0;
        for (const TestHttpRequest& sent : m_server.requests()) {
            QCOMPARE(sent.header("referer"), QByteArray("http://127.0.0.1/page"));
            QVERIFY(sent.header("x-bad").isEmpty() && sent.header("injected").isEmpty());
            if (sent.method == "GET") {
                ++gets;
                QCOMPARE(sent.header("user-agent"), MediaPartFileRequest::userAgent());
            }
        }
        QCOMPARE(gets, 8);
    }
};

KESTROFAN_CORE_TEST_MAIN(FileRequestTest)
#include "tst_filerequest.moc"

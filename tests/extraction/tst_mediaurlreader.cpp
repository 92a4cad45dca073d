#include "TestEnvironment.h"
#include "app/AppTestSupport.h"
#include "support/TestFiles.h"

#include "app/AppPaths.h"
#include "app/Prefs.h"
#include "convert/ProcessPool.h"
#include "convert/SystemProcess.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "download/HelperArguments.h"
#include "download/HelperCookieFile.h"
#include "download/MediaURLFetcher.h"
#include "download/MediaUrlReader.h"
#include "services/MediaItem.h"

#include <QtConcurrent>

// The reader and the fetcher around a scripted download helper: what reaches the helper,
// what comes back, and how failures read.
class TestMediaUrlReader : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;
    const QUrl m_page { "https://media.example/watch?v=1" };

    // A single stream with a picture height.
    static QByteArray streamAnswer(const QString& url, const QString& ext = "mp4")
    {
        return QJsonDocument(QJsonObject { { "ext", ext }, { "url", url }, { "height", 1080 } })
            .toJson();
    }

    // The helper waits "delay" seconds, prints "answer", then "errors" on standard error, then
    // "tail".
    static void setAnswer(const QByteArray& answer, const QByteArray& delay = QByteArray(),
        const QByteArray& errors = QByteArray(), const QByteArray& tail = QByteArray())
    {
        const QString folder = AppPaths::helpersLocation();
        QVERIFY(writeFile(folder + "answer.txt", answer) && writeFile(folder + "delay", delay)
            && writeFile(folder + "stderr.txt", errors)
            && writeFile(folder + "answer-tail.txt", tail));
    }

    static QStringList loggedArguments()
    {
        const QString text = QString::fromUtf8(readFile(AppPaths::helpersLocation() + "args.log"));
        return text.isEmpty() ? QStringList() : text.chopped(1).split('\n');
    }

    static void useHelper(const QString& binaryName, const QString& script = QString())
    {
        QVERIFY(AppTestSupport::installDownloadHelper(
            binaryName, script.isEmpty() ? QByteArray() : readFile(QFINDTESTDATA(script))));
        AppContext::helperRegistry()->reload();
    }

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
        m_core->context()->createServiceRegistries();
        useHelper("fake-helper", "fake-helper.sh");
    }

    void init() { useHelper("fake-helper"); }

    // The helper's cookie files left in their folder.
    static QStringList cookieFiles()
    {
        return QDir(HelperCookieFile::defaultDirectory())
            .entryList({ "HelperCookies*" }, QDir::Files | QDir::Hidden);
    }

    void argumentsReachTheHelperAsBuilt()
    {
        Prefs::setPreferredVideoFormat(MediaDescriptor::WebM);
        Prefs::setPreferredVideoSize(MediaDescriptor::HD1080);
        setAnswer("WARNING: [generic] Falling back on generic information extractor\n"
            + streamAnswer("https://cdn.example/v.webm", "webm"));

        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), "Some Service");
        const MediaUrls urls = reader.getMediaUrls(m_page, MediaDescriptor::Video);
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        const QStringList arguments = loggedArguments();
        const qsizetype cookiesAt = arguments.indexOf("--cookies");
        QVERIFY(cookiesAt >= 0 && cookiesAt + 1 < arguments.size());
        const QString cookieFile = arguments.at(cookiesAt + 1);
        QCOMPARE(QFileInfo(cookieFile).absolutePath(),
            QFileInfo(HelperCookieFile::defaultDirectory()).absoluteFilePath());
        QCOMPARE(arguments,
            HelperArguments::extractionArguments(
                m_page, MediaDescriptor::Video, Prefs::snapshot(), cookieFile));
        QCOMPARE(urls.videoUrls, QList<QUrl> { QUrl("https://cdn.example/v.webm") });
        QCOMPARE(reader.detectedFormat(), int(MediaDescriptor::WebM));
        QCOMPARE(urls.cookies.size(), 1);
        QCOMPARE(urls.cookies.first().name(), QByteArray("visitor"));
        // The run's cookie file went with it.
        QVERIFY(!QFile::exists(cookieFile));
        QVERIFY(cookieFiles().isEmpty());
    }

    void concurrentExtractionsKeepTheirCookiesApart()
    {
        useHelper("cookie-helper", "cookie-helper.sh");
        const QStringList hosts { "one.example", "two.example" };
        for (const QString& host : hosts)
            QFile::remove(AppPaths::helpersLocation() + QStringLiteral("started-") + host);

        const BinaryHelpers* helpers = AppContext::helperRegistry();
        const PrefsSnapshot prefs = Prefs::snapshot();
        const QList<MediaUrls> results
            = QtConcurrent::blockingMapped(hosts, [helpers, prefs](const QString& host) {
                  MediaUrlReader reader(helpers, prefs, "Some Service");
                  return reader.getMediaUrls(QUrl(QStringLiteral("https://%1/watch?v=1").arg(host)),
                      MediaDescriptor::Video);
              });
        for (int i = 0; i < hosts.size(); ++i) {
            const QByteArray host = hosts.at(i).toUtf8();
            QCOMPARE(results.at(i).videoUrls, QList<QUrl> { QUrl("https://" + host + "/v.mp4") });
            QByteArrayList raw;
            for (const QNetworkCookie& cookie : results.at(i).cookies)
                raw << cookie.toRawForm();
            // The "mode" cookie: the helper found its file readable by the user only.
            QCOMPARE(raw,
                QByteArrayList({ "session=s-" + host
                        + "; secure; expires=Wed, 18-May-2033 03:33:19 GMT; domain=." + host
                        + "; path=/account",
                    "visitor=v-" + host + "; HttpOnly; domain=" + host + "; path=/",
                    "mode=600; domain=" + host + "; path=/" }));
        }
        QVERIFY(cookieFiles().isEmpty());
    }

    void failuresReadClearly_data()
    {
        testColumns<QByteArray, QByteArray, QByteArray, QString>(
            "answer", "delay", "errors", "error");
        testRow(
            "empty", QByteArray("  \n"), QByteArray(), QByteArray(), "Service response was empty");
        testRow("helper error",
            QByteArray("ERROR: [generic] Unable to download webpage: HTTP Error 404: Not "
                       "Found\nERROR: more"),
            QByteArray(), QByteArray(),
            "[generic] Unable to download webpage: HTTP Error 404: Not Found");
        // As yt-dlp does it: warnings and errors on standard error, nothing on standard output.
        testRow("error on standard error", QByteArray(), QByteArray(),
            QByteArray("WARNING: [generic] Falling back on generic information extractor\n"
                       "ERROR: [generic] Unsupported URL: https://media.example/watch?v=1\n"
                       "ERROR: second\n"),
            "[generic] Unsupported URL: https://media.example/watch?v=1");
        // A half answer is no message for anybody: the helper's error line is.
        testRow("half an answer and an error", QByteArray("{\"ext\": \"mp4\","), QByteArray(),
            QByteArray("ERROR: Interrupted by user\n"), "Interrupted by user");
        testRow("broken answer", QByteArray("{\"ext\": \"mp4\", \"url\": "), QByteArray(),
            QByteArray(), "JSON response from youtube-dl could not be read");
        testRow("hangs", streamAnswer("https://cdn.example/late.mp4"), QByteArray("30"),
            QByteArray(), "External process fake-helper timed out");
    }

    void failuresReadClearly()
    {
        auto [answer, delay, errors, error]
            = testFetch<QByteArray, QByteArray, QByteArray, QString>(
                "answer", "delay", "errors", "error");
        setAnswer(answer, delay, errors);
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        if (!delay.isEmpty())
            reader.setHelperTimeout(500);
        const MediaUrls urls = reader.getMediaUrls(m_page, MediaDescriptor::Audio);
        QCOMPARE(reader.errorText(), error);
        QVERIFY(urls.videoUrls.isEmpty() && urls.audioUrls.isEmpty());
        // Cookies are read whatever the outcome.
        QCOMPARE(urls.cookies.size(), 1);
        QVERIFY(cookieFiles().isEmpty());
    }

    void warningsOnStandardErrorStayOutOfTheAnswer_data()
    {
        testColumns<QByteArray, QByteArray, QString>("head", "tail", "url");
        const QByteArray indented = streamAnswer("https://cdn.example/one.mp4");
        const qsizetype middle = indented.indexOf('\n', indented.size() / 2) + 1;
        testRow("between the lines of one answer", indented.left(middle), indented.mid(middle),
            "https://cdn.example/one.mp4");
        // A page with several media: one JSON line each; the first one is read.
        const auto line = [](const QString& url) {
            return QJsonDocument(
                       QJsonObject { { "ext", "mp4" }, { "url", url }, { "height", 720 } })
                       .toJson(QJsonDocument::Compact)
                + '\n';
        };
        testRow("between answers", line("https://cdn.example/first.mp4"),
            line("https://cdn.example/second.mp4"), "https://cdn.example/first.mp4");
    }

    void warningsOnStandardErrorStayOutOfTheAnswer()
    {
        auto [head, tail, url] = testFetch<QByteArray, QByteArray, QString>("head", "tail", "url");
        setAnswer(head, QByteArray(),
            "WARNING: [generic] Falling back on generic information extractor\n", tail);
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        const MediaUrls urls = reader.getMediaUrls(m_page, MediaDescriptor::Video);
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        QCOMPARE(urls.videoUrls, QList<QUrl> { QUrl(url) });
        QVERIFY(reader.helperErrorLine().isEmpty());
    }

    void missingOrUnsafeHelperIsReported()
    {
        const QString message
            = "Unexpected: Download helper not found. Restart the application to force reinstall.";
        for (const char* binaryName : { "no-such-helper", "../helpers/fake-helper" }) {
            useHelper(binaryName);
            QVERIFY(AppContext::helperRegistry()->isEmpty());
            MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
            QVERIFY(reader.runDownloadHelper({ "--version" }).isEmpty());
            QCOMPARE(reader.errorText(), message);
            reader.getMediaUrls(m_page, MediaDescriptor::Video);
            QCOMPARE(reader.errorText(), message);
        }
    }

    void onlyWebPagesReachTheHelper()
    {
        setAnswer(streamAnswer("https://cdn.example/v.mp4"));
        QFile::remove(AppPaths::helpersLocation() + "args.log");
        const QList<QUrl> pages { QUrl("--exec=touch /tmp/x"), QUrl("file:///etc/passwd"), QUrl() };
        for (const QUrl& page : pages) {
            MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
            const MediaUrls urls = reader.getMediaUrls(page, MediaDescriptor::Video);
            QVERIFY(reader.errorText().startsWith("Unsupported media page address"));
            QVERIFY(urls.videoUrls.isEmpty());
        }
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        reader.getMediaUrls(MediaItem("Some Service"), MediaDescriptor::Video);
        QVERIFY(reader.errorText().startsWith("Unsupported media page address"));
        QVERIFY(!QFile::exists(AppPaths::helpersLocation() + "args.log"));

        MediaItem item("Some Service");
        item.setPermaUrl(m_page.toString());
        reader.getMediaUrls(item, MediaDescriptor::Video);
        QVERIFY(reader.errorText().isEmpty());
        QCOMPARE(loggedArguments().last(), m_page.toString(QUrl::FullyEncoded));
    }

    void fetcherReportsOnTheThreadThatMadeIt()
    {
        const QJsonArray formats { QJsonObject { { "url", "https://cdn.example/v.mp4" },
                                       { "ext", "mp4" }, { "height", 360 } },
            QJsonObject {
                { "url", "https://cdn.example/a.m4a" }, { "ext", "m4a" }, { "vcodec", "none" } } };
        setAnswer(QJsonDocument(QJsonObject { { "ext", "mp4" }, { "requested_formats", formats } })
                      .toJson());
        MediaURLFetcher fetcher(
            AppContext::helperRegistry(), "Some Service", AppContext::processPool());
        QThread* readyThread = nullptr;
        int readyCount = 0;
        connect(&fetcher, &MediaURLFetcher::ready, this, [&] {
            readyThread = QThread::currentThread();
            ++readyCount;
        });
        fetcher.getMediaUrls(m_page, MediaDescriptor::Audio);
        QTRY_COMPARE_WITH_TIMEOUT(readyCount, 1, 30000);
        QCOMPARE(readyThread, QThread::currentThread());
        QVERIFY(fetcher.errorText().isEmpty());
        QCOMPARE(fetcher.detectedFormat(), int(MediaDescriptor::AAC));
        QCOMPARE(fetcher.mediaUrls().audioUrls.size(), 1);
        QCOMPARE(fetcher.mediaUrls().videoUrls.size(), 1);
        QVERIFY(!fetcher.loginNeeded());

        // A failed extraction also reports, with its error.
        setAnswer("");
        fetcher.getMediaUrls(m_page, MediaDescriptor::Audio);
        QTRY_COMPARE_WITH_TIMEOUT(readyCount, 2, 30000);
        QCOMPARE(fetcher.errorText(), "Service response was empty");
        QVERIFY(fetcher.mediaUrls().audioUrls.isEmpty());
    }

    void stoppingAFetcherEndsItsHelper_data()
    {
        testColumns<bool>("deleteIt");
        testRow("cancelled", false);
        testRow("deleted (a removed download)", true);
    }

    void stoppingAFetcherEndsItsHelper()
    {
        QFETCH(bool, deleteIt);
        const QString started = AppPaths::helpersLocation() + "args.log";
        QFile::remove(started);
        setAnswer(streamAnswer("https://cdn.example/v.mp4"), "600");
        auto* fetcher = new MediaURLFetcher(
            AppContext::helperRegistry(), QString {}, AppContext::processPool());
        int readyCount = 0;
        connect(fetcher, &MediaURLFetcher::ready, this, [&] { ++readyCount; });
        fetcher->getMediaUrls(m_page, MediaDescriptor::Video);
        QTRY_VERIFY(QFile::exists(started));
        QElapsedTimer stopping;
        stopping.start();
        if (deleteIt) {
            delete fetcher;
            fetcher = nullptr;
        } else {
            fetcher->cancel();
        }
        // Well within the grace period: the helper ends on the first signal.
        QVERIFY(AppContext::processPool()->waitForDone(SystemProcess::defaultGracePeriod));
        QVERIFY(stopping.elapsed() < SystemProcess::defaultGracePeriod);
        if (deleteIt) {
            QCoreApplication::processEvents();
            QCOMPARE(readyCount, 0);
            return;
        }
        QTRY_COMPARE(readyCount, 1);
        QCOMPARE(fetcher->errorText(), "External process fake-helper was cancelled");
        QVERIFY(fetcher->mediaUrls().videoUrls.isEmpty());
        delete fetcher;
    }
};

KESTROFAN_CORE_TEST_MAIN(TestMediaUrlReader)
#include "tst_mediaurlreader.moc"

// Calls into a service from the user interface thread while its plugin waits on a slow
// server: the asynchronous forms keep the event loop turning, calls made meanwhile (also into
// the same service, also from the waiting thread's own nested loop) never deadlock, and the
// registry stops running calls when it goes away.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

class TestServiceThreads : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> m_fixture;
    TestHttpServer m_server;
    MediaServices* m_registry = nullptr;

    static constexpr int kStallMs = 1000;

    // The slow server answers every path with the last segment, after a pause. Every test
    // asks for other names: answers are cached for the whole process.
    QString program() const
    {
        return pluginProgram("Slow", "validDomains: ['slow.example']",
            QStringLiteral("function getUserIdFromURL(address) {"
                           "  return scriptInterface.httpGet('%1' + address.split('/').pop()); }")
                .arg(m_server.url("/who/").toString()));
    }

    using PageFuture = QFuture<std::optional<PageDescriptor>>;

    static QString userOf(const PageFuture& future)
    {
        const std::optional<PageDescriptor> page = future.result();
        return page && page->kind == PageDescriptor::User ? page->userId : QStringLiteral("none");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_server.route("/who/*", [](const TestHttpServer::Request& request) {
            TestHttpServer::Response response
                = TestHttpServer::Response::text(request.path.section(QLatin1Char('/'), -1));
            response.stallAfterBytes = 0;
            response.stallMs = kStallMs;
            return response;
        });
    }

    void init()
    {
        m_fixture = std::make_unique<ServiceFixture>();
        m_registry = m_fixture->loadOnly({ { "slow", program() } });
        QVERIFY(m_registry && m_registry->service("Slow"));
    }

    void cleanup() { m_fixture.reset(); }

    void classifyingKeepsTheEventLoopTurning()
    {
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(20);

        QElapsedTimer asking;
        asking.start();
        const PageFuture first = m_registry->createPageDataAsync("https://slow.example/u/ann");
        QVERIFY(asking.elapsed() < kStallMs / 2);
        // A second call into the same service while the first waits: it queues behind it.
        PageFuture second;
        bool secondAsked = false;
        QTimer::singleShot(50, this, [&] {
            second = m_registry->createPageDataAsync("https://slow.example/u/bob");
            secondAsked = true;
        });
        QFutureWatcher<std::optional<PageDescriptor>> watcher;
        watcher.setFuture(first);
        QSignalSpy firstDone(&watcher, &QFutureWatcherBase::finished);
        QVERIFY(firstDone.wait(10000));
        QCOMPARE(userOf(first), "ann");
        QTRY_VERIFY_WITH_TIMEOUT(secondAsked && second.isFinished(), 10000);
        QCOMPARE(userOf(second), "bob");
        // The timer kept firing through both waits.
        QVERIFY2(ticks > kStallMs / 20 / 2, qPrintable(QString::number(ticks)));
    }

    void loginRunsOffThisThread()
    {
        QFutureWatcher<LoginResult> watcher;
        watcher.setFuture(m_registry->loginAsync("Nobody", "ann", "secret"));
        QSignalSpy done(&watcher, &QFutureWatcherBase::finished);
        QVERIFY(done.wait(10000));
        QVERIFY(!watcher.result().loggedIn);
        QCOMPARE(watcher.result().errorText, "No service named \"Nobody\" is loaded.");
    }

    void callFromTheWaitingThreadFailsInsteadOfDeadlocking()
    {
        // The command-line tool waits synchronously; events of its nested loop may call in.
        MediaService* slow = m_registry->service("Slow");
        QString nested = "not called";
        QTimer::singleShot(
            100, this, [&] { nested = slow->getUserIdFromURL("https://slow.example/u/x"); });
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression("Script error: getUserIdFromURL\\(\\) in service 'Slow': "
                               "getUserIdFromURL\\(\\) was called while this thread's call"));
        const std::optional<PageDescriptor> page
            = slow->createPageData("https://slow.example/u/carl");
        QVERIFY(page);
        QCOMPARE(page->userId, "carl");
        QCOMPARE(nested, QString());
    }

    void goingAwayStopsRunningCalls()
    {
        const PageFuture pending = m_registry->createPageDataAsync("https://slow.example/u/dora");
        QTRY_VERIFY(m_server.requestCount("/who/dora") == 1);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Script call was cancelled"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Script error: getUserIdFromURL"));
        QElapsedTimer closing;
        closing.start();
        m_fixture->unload();
        // Aborted at once, not waited out.
        QVERIFY2(closing.elapsed() < kStallMs, qPrintable(QString::number(closing.elapsed())));
        QVERIFY(pending.isFinished());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestServiceThreads)
#include "tst_servicethreads.moc"

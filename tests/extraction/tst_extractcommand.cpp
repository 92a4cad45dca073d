#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TestProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>

// "kestrofan-cli extract" as a script runs it, with the yt-dlp that setup registers and
// pages on a server on 127.0.0.1.
class TestExtractCommand : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;

    static ProgramRun cli(const QStringList& arguments)
    {
        return TestProcess::run(QStringLiteral(KESTROFAN_CLI_PATH), arguments);
    }

    QString page(const QString& path) const { return m_server.url(path).toString(); }

    // Whether any process runs with this text in its command line.
    static bool isRunning(const QString& marker)
    {
        const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& pid : pids) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(marker.toUtf8()))
                return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("yt-dlp")).isEmpty())
            QSKIP("yt-dlp is needed");
        for (const char* name :
            { "http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY" })
            qunsetenv(name);
        const ProgramRun setup = cli({ QStringLiteral("setup") });
        QVERIFY2(setup.exitCode == 0, qPrintable(setup.err));
        QVERIFY(setup.out.contains(QStringLiteral("download helper yt-dlp")));

        QVERIFY(m_server.start());
        // The helper takes a video/mp4 answer for a file without looking inside.
        m_server.serveFile(QStringLiteral("/clip.mp4"), QByteArray(4096, 'v'), "video/mp4");
        m_server.serveFile(QStringLiteral("/page.html"),
            "<html><head><title>Clip</title></head><body><video src=\"/clip.mp4\"></video>"
            "</body></html>",
            "text/html; charset=utf-8");
    }

    void jsonForMachines()
    {
        const ProgramRun run = cli({ QStringLiteral("extract"), QStringLiteral("--json"),
            QStringLiteral("--video"), page(QStringLiteral("/page.html")) });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QVERIFY(result.value(QStringLiteral("ok")).toBool());
        QCOMPARE(
            result.value(QStringLiteral("targetTypeName")).toString(), QStringLiteral("video"));
        QCOMPARE(
            result.value(QStringLiteral("detectedFormatName")).toString(), QStringLiteral("MP4"));
        QVariantList streams = result.value(QStringLiteral("videoUrls")).toArray().toVariantList();
        streams += result.value(QStringLiteral("audioUrls")).toArray().toVariantList();
        QCOMPARE(streams, QVariantList { page(QStringLiteral("/clip.mp4")) });
    }

    void textForPeople()
    {
        const ProgramRun run = cli({ QStringLiteral("extract"), QStringLiteral("--audio"),
            page(QStringLiteral("/clip.mp4")) });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("Target: audio")));
        QVERIFY(run.out.contains(QStringLiteral("Audio URLs: 1, format MP4 (45)")));
        QVERIFY(run.out.contains(QStringLiteral("  ") + page(QStringLiteral("/clip.mp4"))));
    }

    void failuresExitWithTheirReason()
    {
        const ProgramRun missing
            = cli({ QStringLiteral("extract"), page(QStringLiteral("/missing.html")) });
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(QStringLiteral("HTTP Error 404")), qPrintable(missing.err));
        QCOMPARE(cli({ QStringLiteral("extract"), QStringLiteral("--audio"),
                         QStringLiteral("--video"), page(QStringLiteral("/page.html")) })
                     .exitCode,
            2);
        QCOMPARE(
            cli({ QStringLiteral("extract"), QStringLiteral("--"), QStringLiteral("--exec=true") })
                .exitCode,
            2);
    }

    void interruptEndsTheHelper()
    {
        // A page that never comes: the helper waits on it.
        m_server.route(QStringLiteral("/stalled.html"), [](const TestHttpServer::Request&) {
            TestHttpServer::Response response = TestHttpServer::Response::text("<html>");
            response.stallAfterBytes = 0;
            return response;
        });
        const QString address = page(QStringLiteral("/stalled.html?interrupt-marker"));
        QProcess tool;
        tool.start(QStringLiteral(KESTROFAN_CLI_PATH), { QStringLiteral("extract"), address });
        QVERIFY(tool.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_server.requestCount(QStringLiteral("/stalled.html")) > 0, 30000);
        QElapsedTimer ending;
        ending.start();
        ::kill(pid_t(tool.processId()), SIGINT);
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 128 + SIGINT);
        QVERIFY(ending.elapsed() < 5000);
        QVERIFY(!isRunning(QStringLiteral("interrupt-marker")));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestExtractCommand)
#include "tst_extractcommand.moc"

#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TestProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
};

KESTROFAN_CORE_TEST_MAIN(TestExtractCommand)
#include "tst_extractcommand.moc"

#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

// "kestrofan-cli extract" as a script runs it, with the yt-dlp that setup registers and
// pages on a server on 127.0.0.1.
class TestExtractCommand : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static Run cli(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(KESTROFAN_CLI_PATH), arguments);
        Run run;
        if (!process.waitForFinished(120000))
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
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
        const Run setup = cli({ QStringLiteral("setup") });
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
        const Run run = cli({ QStringLiteral("extract"), QStringLiteral("--json"),
            QStringLiteral("--video"), page(QStringLiteral("/page.html")) });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QVERIFY(result.value(QStringLiteral("ok")).toBool());
        QCOMPARE(
            result.value(QStringLiteral("targetTypeName")).toString(), QStringLiteral("video"));
        QCOMPARE(
            result.value(QStringLiteral("detectedFormatName")).toString(), QStringLiteral("MP4"));
        QStringList streams;
        for (const QString& key : { QStringLiteral("videoUrls"), QStringLiteral("audioUrls") }) {
            for (const QJsonValue& url : result.value(key).toArray())
                streams << url.toString();
        }
        QCOMPARE(streams, QStringList { page(QStringLiteral("/clip.mp4")) });
        QVERIFY(result.value(QStringLiteral("error")).toString().isEmpty());
    }

    void textForPeople()
    {
        const Run run = cli({ QStringLiteral("extract"), QStringLiteral("--audio"),
            page(QStringLiteral("/clip.mp4")) });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("Target: audio")));
        QVERIFY(run.out.contains(QStringLiteral("Audio URLs: 1, format MP4 (45)")));
        QVERIFY(run.out.contains(QStringLiteral("  ") + page(QStringLiteral("/clip.mp4"))));
    }

    void failuresExitWithTheirReason()
    {
        Run run = cli({ QStringLiteral("extract"), page(QStringLiteral("/missing.html")) });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("HTTP Error 404")), qPrintable(run.err));

        run = cli({ QStringLiteral("extract"), QStringLiteral("--audio"), QStringLiteral("--video"),
            page(QStringLiteral("/page.html")) });
        QCOMPARE(run.exitCode, 2);
        run = cli(
            { QStringLiteral("extract"), QStringLiteral("--"), QStringLiteral("--exec=true") });
        QCOMPARE(run.exitCode, 2);
    }
};

KESTROFAN_CORE_TEST_MAIN(TestExtractCommand)
#include "tst_extractcommand.moc"

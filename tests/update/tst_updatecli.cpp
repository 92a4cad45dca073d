#include "TestEnvironment.h"
#include "UpdateTestSupport.h"
#include "app/AppTestSupport.h"
#include "support/TestProcess.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

// The real programs on a fresh HOME: set up, update from the reference server, list.
class TestUpdateCli : public QObject
{
    Q_OBJECT

private:
    QProcessEnvironment environment(
        const QString& home, const QString& address, const QString& key) const
    {
        QProcessEnvironment env = AppTestSupport::privateEnvironment(home);
        env.insert("KESTROFAN_UPDATE_URL", address);
        env.insert("KESTROFAN_UPDATE_PUBLIC_KEY", key);
        return env;
    }
    ProgramRun cli(const QStringList& arguments, const QProcessEnvironment& env) const
    {
        return TestProcess::run(QStringLiteral(KESTROFAN_CLI), arguments, env);
    }

private slots:
    void setupThenUpdateInstallsTheRepository()
    {
        UpdateServerFixture server;
        // The build's repository (the bundled plugins), one more plugin and a newer helper.
        QVERIFY(QDir(KESTROFAN_REPOSITORY "/plugins").exists());
        for (const QString& key :
            QDir(KESTROFAN_REPOSITORY "/plugins").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QDir().mkpath(server.repository() + "/plugins/" + key);
            QVERIFY(QFile::copy(KESTROFAN_REPOSITORY "/plugins/" + key + "/service.plugin",
                server.repository() + "/plugins/" + key + "/service.plugin"));
        }
        server.addPlugin("demo", "var __settings = { serviceName: 'Demo Tube', revision: 4 };",
            { "- First release" });
        server.addHelper("yt-dlp",
            QJsonObject { { "id", 1 }, { "name", "yt-dlp" }, { "binary_name", "yt-dlp" },
                { "version", "2099.01.01" } },
            UpdateServerFixture::helperBody(2048));
        QVERIFY(server.start());

        QTemporaryDir home;
        const auto env = environment(home.path(), server.baseAddress(), server.publicKeyBase64());
        ProgramRun run = cli({ "setup" }, env);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = cli({ "update", "--yes" }, env);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err + server.log()));
        QVERIFY(run.out.contains("service Demo Tube (demo), revision 4 (new)"));
        QVERIFY(run.out.contains("Installed updated Demo Tube service plugin"));
        QVERIFY(run.out.contains("Installed updated yt-dlp"));
        QVERIFY(run.out.contains("Update finished."));
        QTRY_VERIFY(server.log().contains("GET /kestrofan/update/gethelperupdate_1.1.0.php?id=1"));

        run = cli({ "services" }, env);
        QVERIFY(run.out.contains("Demo Tube (demo, revision 4)"));
        QVERIFY(run.out.contains("PeerTube"));
        // The system's yt-dlp stood there as a link; the update replaced the link, not its target.
        const QString helper
            = home.path() + "/.local/share/Ulvane Software/Kestrofan 2/helpers/yt-dlp";
        QVERIFY(!QFileInfo(helper).isSymLink());
        QVERIFY(QFileInfo(helper).isExecutable());

        run = cli({ "update" }, env);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("No updates available."));
    }

    void unreachableServerFails()
    {
        QTemporaryDir home;
        const auto env = environment(home.path(), "http://127.0.0.1:1", QString());
        QCOMPARE(cli({ "setup" }, env).exitCode, 0);
        const ProgramRun run = cli({ "update", "--yes" }, env);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("127.0.0.1 could not be reached"), qPrintable(run.err));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestUpdateCli)
#include "tst_updatecli.moc"

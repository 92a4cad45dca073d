#include "AppTestSupport.h"
#include "TestEnvironment.h"
#include "TestProcess.h"

#include <QMessageBox>

using namespace AppTestSupport;

// The GUI started as the kestrofan executable starts, watched by a probe that answers what it
// shows: without a database it stops with one message naming the file and opens no window;
// the command-line tool's own stop is among the command rows of tst_clicommands.
class FatalStopTest : public QObject
{
    Q_OBJECT

private slots:
    void guiStart_data()
    {
        testColumns<bool>("installed");
        testRow("no database", false);
        // The same probe sees a window when there is one, so its silence above means something.
        testRow("installed", true);
    }

    void guiStart()
    {
        QFETCH(bool, installed);
        QTemporaryDir home;
        const QProcessEnvironment environment = privateEnvironment(home.path());
        const QString database
            = home.path() + "/.local/share/Ulvane Software/Kestrofan 2/kestrofan2.db";
        if (installed)
            QCOMPARE(TestProcess::run(KESTROFAN_CLI_PATH, { "setup" }, environment).exitCode, 0);

        const ProgramRun run = TestProcess::run(KESTROFAN_GUI_PROBE_PATH, {}, environment);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QJsonObject seen = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(seen.value("exitCode").toInt(-1), 0);
        QCOMPARE(seen.value("deadlinePassed").toBool(), false);
        QJsonArray boxes;
        QJsonArray windows { "Kestrofan 2" };
        if (!installed) {
            windows = {};
            boxes.append(QJsonObject { { "text",
                                           "Database file " + database
                                               + " not found.\n\nPlease reinstall application."
                                                 "\n\nKestrofan 2 will now quit." },
                { "title", "" }, { "icon", int(QMessageBox::Critical) },
                { "buttons", QJsonArray { int(QMessageBox::Ok) } }, { "hasParent", false } });
            QVERIFY(run.err.contains("Application::die(): Database file"));
            // Nothing was made in place of the missing file.
            QVERIFY(!QFileInfo::exists(database));
        }
        QCOMPARE(seen.value("boxes").toArray(), boxes);
        QCOMPARE(seen.value("mainWindows").toArray(), windows);
    }
};

KESTROFAN_CORE_TEST_MAIN(FatalStopTest)
#include "tst_fatalstop.moc"

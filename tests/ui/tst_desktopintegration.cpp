#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"

#include <QSettings>

// "kestrofan-cli setup" makes kestrofan a desktop application that opens kestrofan: addresses.
class DesktopIntegrationTest : public QObject
{
    Q_OBJECT

private slots:
    void setupInstallsTheDesktopEntry_data()
    {
        testColumns<bool, QString>("withXdgMime", "reportLine");
        testRow("xdg-mime registers the scheme", true, "kestrofan: addresses open in Kestrofan 2.");
        testRow("without xdg-mime", false, "xdg-mime is not installed");
    }

    void setupInstallsTheDesktopEntry()
    {
        const auto [withXdgMime, reportLine]
            = testFetch<bool, QString>("withXdgMime", "reportLine");
        QTemporaryDir home;
        QProcessEnvironment environment = AppTestSupport::privateEnvironment(home.path());
        // Only what the test puts there: no xdg-mime of this machine's.
        const QString bin = home.path() + "/bin";
        QVERIFY(QDir().mkpath(bin));
        const QString calls = home.path() + "/xdg-mime-calls";
        if (withXdgMime) {
            QVERIFY(writeExecutable(bin + "/xdg-mime",
                QStringLiteral(
                    "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '%1'; done\n")
                    .arg(calls)
                    .toUtf8()));
        }
        environment.insert("PATH", bin);

        const auto setup
            = [&] { return TestProcess::run(KESTROFAN_CLI_PATH, { "setup" }, environment); };
        const ProgramRun run = setup();
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(reportLine), qPrintable(run.out));

        const QString entryPath = home.path() + "/.local/share/applications/kestrofan.desktop";
        QSettings entry(entryPath, QSettings::IniFormat);
        entry.beginGroup("Desktop Entry");
        QCOMPARE(entry.value("Type").toString(), "Application");
        QCOMPARE(entry.value("Name").toString(), "Kestrofan 2");
        QCOMPARE(entry.value("Icon").toString(), "kestrofan");
        const QString text = QString::fromUtf8(readFile(entryPath));
        QVERIFY2(text.contains("\nMimeType=x-scheme-handler/kestrofan;\n"), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nExec=\"%1\" %u\n").arg(KESTROFAN_GUI_PATH)),
            qPrintable(text));

        for (int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
            const QString icon = home.path()
                + QStringLiteral("/.local/share/icons/hicolor/%1x%1/apps/kestrofan.png").arg(size);
            QCOMPARE(QImage(icon).size(), QSize(size, size));
        }

        QCOMPARE(QFileInfo::exists(calls), withXdgMime);
        if (withXdgMime) {
            QCOMPARE(QString::fromUtf8(readFile(calls)).split('\n', Qt::SkipEmptyParts),
                (QStringList { "default", "kestrofan.desktop", "x-scheme-handler/kestrofan" }));
        }

        // Running it again changes nothing that matters and still succeeds.
        QCOMPARE(setup().exitCode, 0);
        QVERIFY(QFileInfo(entryPath).isFile());
    }
};

KESTROFAN_CORE_TEST_MAIN(DesktopIntegrationTest)
#include "tst_desktopintegration.moc"

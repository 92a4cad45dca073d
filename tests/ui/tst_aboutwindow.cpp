#include "TestEnvironment.h"
#include "TestFiles.h"

#include "ui/AboutWindow.h"
#include "ui/HelperVersionProbe.h"

#include <QLabel>

// The about window names the program and asks the download helper for its version without
// waiting for it.
class AboutWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void showsFacts()
    {
        AboutWindow window({ "1.1.4", "100", "/data/k2", QString() });
        const auto label
            = [&](const char* name) { return window.findChild<QLabel*>(name)->text(); };
        QCOMPARE(label("versionLabel"), "1.1.4 (build 100)");
        QCOMPARE(label("dataFolderLabel"), "/data/k2");
        QVERIFY(AboutWindow::licencesHtml().contains(qVersion()));
        QCOMPARE(label("helperVersionLabel"), "No download helper is installed.");
    }

    void helperVersion_data()
    {
        testColumns<QString, int, QString>("script", "timeoutMs", "shown");
        const char* silent = "The download helper did not tell its version.";
        testRow("answers", "echo 2024.08.06; echo more", 10000, "2024.08.06");
        testRow("fails", "echo oops >&2; exit 2", 10000, silent);
        testRow("says nothing", "exit 0", 10000, silent);
        testRow("hangs", "exec sleep 30", 300, "The download helper did not answer in time.");
        testRow("missing", QString(), 10000, "The download helper could not be started: ");
    }

    void helperVersion()
    {
        const auto [script, timeoutMs, shown]
            = testFetch<QString, int, QString>("script", "timeoutMs", "shown");
        QTemporaryDir folder;
        const QString program = folder.filePath(script.isEmpty() ? "absent" : "helper");
        if (!script.isEmpty())
            QVERIFY(writeExecutable(program, "#!/bin/sh\n" + script.toUtf8() + '\n'));

        HelperVersionProbe probe(nullptr, timeoutMs);
        QSignalSpy found(&probe, &HelperVersionProbe::versionFound);
        QSignalSpy failed(&probe, &HelperVersionProbe::failed);
        probe.start(program);
        QTRY_COMPARE_WITH_TIMEOUT(found.size() + failed.size(), 1, 15000);
        const QString text = (found.isEmpty() ? failed : found).first().first().toString();
        QVERIFY2(text.startsWith(shown), qPrintable(text));

        // The window shows the same, once the answer is in.
        if (timeoutMs >= 10000) {
            AboutWindow window({ "1", "2", QString(), program });
            auto* label = window.findChild<QLabel*>("helperVersionLabel");
            // A program that starts answers later: the window does not wait for it.
            if (!script.isEmpty())
                QCOMPARE(label->text(), "Asking...");
            QTRY_VERIFY2(label->text().startsWith(shown), qPrintable(label->text()));
        }
    }
};

KESTROFAN_TEST_MAIN(AboutWindowTest)
#include "tst_aboutwindow.moc"

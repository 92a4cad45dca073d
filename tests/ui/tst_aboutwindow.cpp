#include "TestEnvironment.h"

#include "ui/AboutWindow.h"
#include "ui/HelperVersionProbe.h"

#include <QLabel>

namespace {

QString helperScript(const QString& folder, const QString& body)
{
    const QString path = folder + QStringLiteral("/helper");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body.toUtf8() + '\n');
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

// The about window names the program and asks the download helper for its version without
// waiting for it.
class AboutWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void showsFacts();
    void helperVersion_data();
    void helperVersion();
};

void AboutWindowTest::showsFacts()
{
    AboutWindow window(
        { QStringLiteral("1.1.4"), QStringLiteral("100"), QStringLiteral("/data/k2"), QString() });
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
        QStringLiteral("1.1.4 (build 100)"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("dataFolderLabel"))->text(),
        QStringLiteral("/data/k2"));
    QVERIFY(AboutWindow::licencesHtml().contains(QString::fromLatin1(qVersion())));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("helperVersionLabel"))->text(),
        QStringLiteral("No download helper is installed."));
}

void AboutWindowTest::helperVersion_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>("shown");

    QTest::newRow("answers") << "echo 2024.08.06; echo more" << 10000 << "2024.08.06";
    QTest::newRow("fails") << "echo oops >&2; exit 2" << 10000
                           << "The download helper did not tell its version.";
    QTest::newRow("says nothing") << "exit 0" << 10000
                                  << "The download helper did not tell its version.";
    QTest::newRow("hangs") << "exec sleep 30" << 300
                           << "The download helper did not answer in time.";
    QTest::newRow("missing") << QString() << 10000 << "The download helper could not be started: ";
}

void AboutWindowTest::helperVersion()
{
    QFETCH(QString, script);
    QFETCH(int, timeoutMs);
    QFETCH(QString, shown);
    QTemporaryDir folder;
    const QString program = script.isEmpty() ? folder.path() + QStringLiteral("/absent")
                                             : helperScript(folder.path(), script);

    HelperVersionProbe probe(nullptr, timeoutMs);
    QSignalSpy found(&probe, &HelperVersionProbe::versionFound);
    QSignalSpy failed(&probe, &HelperVersionProbe::failed);
    probe.start(program);
    QTRY_COMPARE_WITH_TIMEOUT(found.size() + failed.size(), 1, 15000);
    const QString text = (found.isEmpty() ? failed : found).first().first().toString();
    QVERIFY2(text.startsWith(shown), qPrintable(text));

    // The window shows the same, once the answer is in.
    if (timeoutMs >= 10000) {
        AboutWindow window({ QStringLiteral("1"), QStringLiteral("2"), QString(), program });
        auto* label = window.findChild<QLabel*>(QStringLiteral("helperVersionLabel"));
        // A program that starts answers later: the window does not wait for it.
        if (!script.isEmpty())
            QCOMPARE(label->text(), QStringLiteral("Asking..."));
        QTRY_VERIFY2(label->text().startsWith(shown), qPrintable(label->text()));
    }
}

KESTROFAN_TEST_MAIN(AboutWindowTest)
#include "tst_aboutwindow.moc"

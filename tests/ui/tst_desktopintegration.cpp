#include "TestEnvironment.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"

#include <QSettings>

namespace {

QString shellScript(const QString& path, const QString& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body.toUtf8() + '\n');
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

// "kestrofan-cli setup" makes kestrofan a desktop application that opens kestrofan: addresses.
class DesktopIntegrationTest : public QObject
{
    Q_OBJECT

private slots:
    void setupInstallsTheDesktopEntry_data();
    void setupInstallsTheDesktopEntry();
};

void DesktopIntegrationTest::setupInstallsTheDesktopEntry_data()
{
    QTest::addColumn<bool>("withXdgMime");
    QTest::addColumn<QString>("reportLine");
    QTest::newRow("xdg-mime registers the scheme")
        << true << QStringLiteral("kestrofan: addresses open in Kestrofan 2.");
    QTest::newRow("without xdg-mime") << false << QStringLiteral("xdg-mime is not installed");
}

void DesktopIntegrationTest::setupInstallsTheDesktopEntry()
{
    QFETCH(bool, withXdgMime);
    QFETCH(QString, reportLine);
    QTemporaryDir home;
    QProcessEnvironment environment = AppTestSupport::privateEnvironment(home.path());
    // Only what the test puts there: no xdg-mime of this machine's.
    const QString bin = home.path() + QStringLiteral("/bin");
    QVERIFY(QDir().mkpath(bin));
    const QString calls = home.path() + QStringLiteral("/xdg-mime-calls");
    if (withXdgMime) {
        QVERIFY(!shellScript(bin + QStringLiteral("/xdg-mime"),
            QStringLiteral("for a in \"$@\"; do printf '%s\\n' \"$a\" >> '%1'; done").arg(calls))
                     .isEmpty());
    }
    environment.insert(QStringLiteral("PATH"), bin);

    const ProgramRun run = TestProcess::run(
        QStringLiteral(KESTROFAN_CLI_PATH), { QStringLiteral("setup") }, environment);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(reportLine), qPrintable(run.out));

    const QString entryPath
        = home.path() + QStringLiteral("/.local/share/applications/kestrofan.desktop");
    QSettings entry(entryPath, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Kestrofan 2"));
    QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("kestrofan"));
    QFile raw(entryPath);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(raw.readAll());
    QVERIFY2(text.contains(QStringLiteral("\nMimeType=x-scheme-handler/kestrofan;\n")),
        qPrintable(text));
    const QString exec
        = QStringLiteral("\nExec=\"%1\" %u\n").arg(QStringLiteral(KESTROFAN_GUI_PATH));
    QVERIFY2(text.contains(exec), qPrintable(text));

    for (int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString icon = home.path()
            + QStringLiteral("/.local/share/icons/hicolor/%1x%1/apps/kestrofan.png").arg(size);
        const QImage image(icon);
        QVERIFY2(!image.isNull(), qPrintable(icon));
        QCOMPARE(image.size(), QSize(size, size));
    }

    QFile called(calls);
    if (withXdgMime) {
        QVERIFY(called.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(called.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            (QStringList { QStringLiteral("default"), QStringLiteral("kestrofan.desktop"),
                QStringLiteral("x-scheme-handler/kestrofan") }));
    } else {
        QVERIFY(!called.exists());
    }

    // Running it again changes nothing that matters and still succeeds.
    const ProgramRun again = TestProcess::run(
        QStringLiteral(KESTROFAN_CLI_PATH), { QStringLiteral("setup") }, environment);
    QCOMPARE(again.exitCode, 0);
    QVERIFY(QFileInfo(entryPath).isFile());
}

KESTROFAN_CORE_TEST_MAIN(DesktopIntegrationTest)
#include "tst_desktopintegration.moc"

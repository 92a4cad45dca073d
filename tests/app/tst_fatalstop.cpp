#include "AppTestSupport.h"
#include "ModalAnswerer.h"
#include "TestEnvironment.h"
#include "TestProcess.h"

#include "app/AppIdentity.h"
#include "core/AppContext.h"
#include "ui/GuiUserInterface.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMessageBox>
#include <QTemporaryDir>

using namespace AppTestSupport;

namespace {

QString expectedDatabasePath(const QString& home)
{
    return home + QStringLiteral("/.local/share/Ulvane Software/Kestrofan 2/kestrofan2.db");
}

QString fatalText(const QString& databasePath)
{
    return QStringLiteral("Database file %1 not found.\n\nPlease reinstall application.")
        .arg(databasePath);
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QString& home)
{
    return TestProcess::run(program, arguments, privateEnvironment(home));
}

} // namespace

// A missing or damaged database file stops the program with a message that names the file.
class FatalStopTest : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxNamesTheExpectedFile();
    void guiStopsWithoutAWindow();
    void guiWithADatabaseShowsItsWindow();
    void commandLineToolFailsLoudly_data();
    void commandLineToolFailsLoudly();
};

void FatalStopTest::messageBoxNamesTheExpectedFile()
{
    AppIdentity::apply();
    const QString path = databasePath();
    QVERIFY(!QFileInfo::exists(path));
    ModalAnswerer::Seen seen;
    ModalAnswerer answerer(&seen, 20000);
    GuiUserInterface ui;
    {
        AppContext context(&ui);
        QVERIFY(AppContext::isDying());
    }
    QVERIFY(!seen.deadlinePassed);
    QCOMPARE(seen.boxes.size(), 1);
    const QJsonObject box = seen.boxes.first();
    QCOMPARE(box.value(QStringLiteral("text")).toString(),
        fatalText(path) + QStringLiteral("\n\nKestrofan 2 will now quit."));
    QCOMPARE(box.value(QStringLiteral("title")).toString(), QString());
    QCOMPARE(box.value(QStringLiteral("icon")).toInt(), int(QMessageBox::Critical));
    QCOMPARE(box.value(QStringLiteral("buttons")).toArray(), QJsonArray { int(QMessageBox::Ok) });
    QCOMPARE(box.value(QStringLiteral("hasParent")).toBool(), false);
    // Nothing was made in place of the missing file.
    QVERIFY(!QFileInfo::exists(path));
}

void FatalStopTest::guiStopsWithoutAWindow()
{
    QTemporaryDir home;
    const ProgramRun run = runProgram(QStringLiteral(KESTROFAN_GUI_PROBE_PATH), {}, home.path());
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QJsonObject seen = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(seen.value(QStringLiteral("exitCode")).toInt(-1), 0);
    QCOMPARE(seen.value(QStringLiteral("deadlinePassed")).toBool(), false);
    const QJsonArray boxes = seen.value(QStringLiteral("boxes")).toArray();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()
                .toObject()
                .value(QStringLiteral("text"))
                .toString()
                .startsWith(fatalText(expectedDatabasePath(home.path()))));
    QCOMPARE(seen.value(QStringLiteral("mainWindows")).toArray(), QJsonArray());
    QVERIFY(run.err.contains(QStringLiteral("Application::die(): Database file")));
}

void FatalStopTest::guiWithADatabaseShowsItsWindow()
{
    // The same probe sees a window when there is one, so its silence above means something.
    QTemporaryDir home;
    QCOMPARE(
        runProgram(QStringLiteral(KESTROFAN_CLI_PATH), { QStringLiteral("setup") }, home.path())
            .exitCode,
        0);
    const ProgramRun run = runProgram(QStringLiteral(KESTROFAN_GUI_PROBE_PATH), {}, home.path());
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QJsonObject seen = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(seen.value(QStringLiteral("exitCode")).toInt(-1), 0);
    QCOMPARE(seen.value(QStringLiteral("boxes")).toArray(), QJsonArray());
    QCOMPARE(seen.value(QStringLiteral("mainWindows")).toArray(),
        QJsonArray { QStringLiteral("Kestrofan 2") });
}

void FatalStopTest::commandLineToolFailsLoudly_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QByteArray() << fatalText(QStringLiteral("%1"));
    QTest::newRow("not a database")
        << QByteArray("This is a letter, not a database.\n").repeated(200)
        << QStringLiteral("Database file %1 is damaged (");
    // A real database whose first page was overwritten in the middle.
    QTest::newRow("damaged pages")
        << QByteArray("corrupt") << QStringLiteral("Database file %1 is damaged (");
}

void FatalStopTest::commandLineToolFailsLoudly()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir home;
    const QString path = expectedDatabasePath(home.path());
    QByteArray stored;
    if (!content.isEmpty()) {
        QCOMPARE(
            runProgram(QStringLiteral(KESTROFAN_CLI_PATH), { QStringLiteral("setup") }, home.path())
                .exitCode,
            0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (content == "corrupt") {
            stored = file.readAll();
            // Page 1 holds the schema; garbage in its cell area damages every table.
            stored.replace(100, 3000, QByteArray(3000, '\xff'));
        } else {
            stored = content;
        }
        file.resize(0);
        file.write(stored);
    }
    // Unlike the GUI, the tool exits with 1 so that scripts see the failure.
    const ProgramRun run
        = runProgram(QStringLiteral(KESTROFAN_CLI_PATH), { QStringLiteral("config") }, home.path());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message.arg(path)), qPrintable(run.err));
    QVERIFY2(!run.err.contains(QStringLiteral("Restart")), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    // The damaged file is left as it was, for the person to rescue.
    if (content.isEmpty()) {
        QVERIFY(!QFileInfo::exists(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    }
}

KESTROFAN_TEST_MAIN(FatalStopTest)
#include "tst_fatalstop.moc"

#include "AppTestSupport.h"
#include "TestEnvironment.h"
#include "TestProcess.h"

#include "app/Prefs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace AppTestSupport;

// kestrofan-cli's setup and config commands, run as a script would run them.
class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setupIsSafeToRunAgain();
    void setupReportsAsJson();
    void configListsTheDefaults();
    void configChangesAndNormalises();
    void configRejectsBadInput_data();
    void configRejectsBadInput();
    void configAsJsonKeepsTypes();
    void usageErrors();

private:
    using Run = ProgramRun;
    Run cli(const QStringList& arguments) const;
    QString databasePathInHome() const;
    // The first value the statement gives on the database in the private HOME.
    QVariant queryDatabase(const QString& statement) const;

    std::unique_ptr<QTemporaryDir> m_home;
};

void CliTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
}

void CliTest::cleanup()
{
    m_home.reset();
}

CliTest::Run CliTest::cli(const QStringList& arguments) const
{
    return TestProcess::run(
        QStringLiteral(KESTROFAN_CLI_PATH), arguments, privateEnvironment(m_home->path()));
}

QString CliTest::databasePathInHome() const
{
    return m_home->path()
        + QStringLiteral("/.local/share/Ulvane Software/Kestrofan 2/kestrofan2.db");
}

QVariant CliTest::queryDatabase(const QString& statement) const
{
    QVariant value;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("user"));
        db.setDatabaseName(databasePathInHome());
        QSqlQuery query(db);
        if (db.open() && query.exec(statement) && query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("user"));
    return value;
}

void CliTest::setupIsSafeToRunAgain()
{
    const Run first = cli({ QStringLiteral("setup") });
    QCOMPARE(first.exitCode, 0);
    QVERIFY2(first.out.contains(QStringLiteral("Created the database")), qPrintable(first.out));
    // Something the user made since: a bookmark.
    queryDatabase(QStringLiteral(
        "INSERT INTO bookmarks (id, title, url) VALUES (7, 'Kept', 'https://example.com/')"));

    const Run second = cli({ QStringLiteral("setup") });
    QCOMPARE(second.exitCode, 0);
    QVERIFY2(second.out.contains(QStringLiteral("is in place")), qPrintable(second.out));
    QVERIFY(!second.out.contains(QStringLiteral("Created the database")));
    QCOMPARE(queryDatabase(QStringLiteral("SELECT title FROM bookmarks WHERE id=7")).toString(),
        QStringLiteral("Kept"));
    QVERIFY(queryDatabase(QStringLiteral("SELECT count(*) FROM video_conversions")).toInt() > 0);

    // Even an empty file is the user's and stays as it is.
    QFile empty(databasePathInHome());
    QVERIFY(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
    empty.close();
    cli({ QStringLiteral("setup") });
    QCOMPARE(QFileInfo(databasePathInHome()).size(), 0);
}

void CliTest::setupReportsAsJson()
{
    const Run run = cli({ QStringLiteral("setup"), QStringLiteral("--json") });
    QCOMPARE(run.exitCode, 0);
    const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(result.value(QStringLiteral("ok")).toBool(), true);
    QCOMPARE(result.value(QStringLiteral("error")).toString(), QString());
    QVERIFY(!result.value(QStringLiteral("steps")).toArray().isEmpty());
}

void CliTest::configListsTheDefaults()
{
    QCOMPARE(cli({ QStringLiteral("setup") }).exitCode, 0);
    const Run run = cli({ QStringLiteral("config") });
    QCOMPARE(run.exitCode, 0);
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList keys;
    for (const QString& line : std::as_const(lines))
        keys << line.section(QStringLiteral(" = "), 0, 0);
    QCOMPARE(keys, Prefs::keys());
    QVERIFY(lines.contains(QStringLiteral("mediaPath = ") + m_home->path()
        + QStringLiteral("/Desktop/Kestrofan Downloads/")));
    QVERIFY(lines.contains(QStringLiteral("preferredVideoFormat = 45")));
    QVERIFY(lines.contains(QStringLiteral("visualNotificationOnQueueFinished = true")));
}

void CliTest::configChangesAndNormalises()
{
    QCOMPARE(cli({ QStringLiteral("setup") }).exitCode, 0);
    const QString media = m_home->path() + QStringLiteral("/Videos");
    const Run set = cli({ QStringLiteral("config"), QStringLiteral("mediaPath"), media });
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(set.out, QStringLiteral("mediaPath = ") + media + QStringLiteral("/\n"));
    QCOMPARE(cli({ QStringLiteral("config"), QStringLiteral("mediaPath") }).out, set.out);

    QCOMPARE(cli({ QStringLiteral("config"), QStringLiteral("searchableServiceNames"),
                     QStringLiteral("PeerTube,Generic Service") })
                 .exitCode,
        0);
    QCOMPARE(cli({ QStringLiteral("config"), QStringLiteral("searchableServiceNames") }).out,
        QStringLiteral("searchableServiceNames = PeerTube,Generic Service\n"));
}

void CliTest::configRejectsBadInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown key") << QStringList { "config", "colour" } << "unknown preference";
    QTest::newRow("unknown key with value")
        << QStringList { "config", "colour", "blue" } << "unknown preference";
    QTest::newRow("not a number") << QStringList { "config", "preferredVideoSize", "big" }
                                  << "is not a valid";
    QTest::newRow("not a bool") << QStringList { "config", "showAdultContent", "yes please" }
                                << "is not a valid";
    QTest::newRow("read-only") << QStringList { "config", "doLimitBandwidth", "true" }
                               << "cannot be changed";
    QTest::newRow("too many") << QStringList { "config", "mediaPath", "/a", "/b" }
                              << "too many arguments";
}

void CliTest::configRejectsBadInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QCOMPARE(cli({ QStringLiteral("setup") }).exitCode, 0);
    const QString before = cli({ QStringLiteral("config") }).out;
    const Run run = cli(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(cli({ QStringLiteral("config") }).out, before);
}

void CliTest::configAsJsonKeepsTypes()
{
    QCOMPARE(cli({ QStringLiteral("setup") }).exitCode, 0);
    const Run all = cli({ QStringLiteral("config"), QStringLiteral("--json") });
    QCOMPARE(all.exitCode, 0);
    const QJsonObject values = QJsonDocument::fromJson(all.out.toUtf8()).object();
    QCOMPARE(values.keys().size(), Prefs::keys().size());
    QCOMPARE(values.value(QStringLiteral("preferredVideoFormat")), QJsonValue(45));
    QCOMPARE(values.value(QStringLiteral("showAdultContent")), QJsonValue(true));
    QCOMPARE(values.value(QStringLiteral("searchableServiceNamesOrder")),
        QJsonValue(QJsonArray { QStringLiteral("YouTube") }));
    QVERIFY(values.value(QStringLiteral("lastVersionCheckForPlugins")).isNull());

    const Run set = cli({ QStringLiteral("config"), QStringLiteral("--json"),
        QStringLiteral("lastVersionCheckForPlugins"), QStringLiteral("2024-05-01") });
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(set.out.toUtf8()).object(),
        (QJsonObject {
            { QStringLiteral("lastVersionCheckForPlugins"), QStringLiteral("2024-05-01") } }));
}

void CliTest::usageErrors()
{
    QCOMPARE(cli({}).exitCode, 2);
    const Run unknown = cli({ QStringLiteral("frobnicate") });
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.err.contains(QStringLiteral("unknown command")));
    const Run option = cli({ QStringLiteral("config"), QStringLiteral("--colour") });
    QCOMPARE(option.exitCode, 2);
    const Run help = cli({ QStringLiteral("config"), QStringLiteral("--help") });
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith(QStringLiteral("Usage: kestrofan-cli config")));
    // None of these needed or made a database.
    QVERIFY(!QFileInfo::exists(databasePathInHome()));
}

KESTROFAN_CORE_TEST_MAIN(CliTest)
#include "tst_cli.moc"

#include "ExtractionFixture.h"
#include "TestEnvironment.h"

#include "app/AppContext.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"
#include "download/HelperRegistration.h"

#include <QSqlQuery>

// The helper registry on binary_helper, and how setup registers the system's yt-dlp.
class TestHelperRegistry : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ExtractionFixture> m_fixture;

    DbConnection m_connection;

    QSqlDatabase database() { return m_connection.connection(true); }

    QList<int> storedIds()
    {
        QList<int> ids;
        for (const BinaryHelper& helper : BinaryHelperModel(nullptr, database()).allHelpers())
            ids << helper.id;
        return ids;
    }

    void clearTable() { QSqlQuery(database()).exec(QStringLiteral("delete from binary_helper")); }

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<ExtractionFixture>();
        QVERIFY(m_fixture->isReady());
    }

    void init() { clearTable(); }

    void modelStatementsRoundTrip()
    {
        BinaryHelperModel model(nullptr, database());
        QCOMPARE(model.helperById(7).id, -1);

        model.insertHelper(BinaryHelper(
            7, QStringLiteral("Seven"), QStringLiteral("seven"), QStringLiteral("1.0")));
        model.updateHelper(BinaryHelper(
            7, QStringLiteral("Seven"), QStringLiteral("seven-bin"), QStringLiteral("2.0")));
        const BinaryHelper stored = model.helperById(7);
        QCOMPARE(stored.binaryName, QStringLiteral("seven-bin"));
        QCOMPARE(stored.version, QStringLiteral("2.0"));

        // A second row with the same id is refused by the key and changes nothing.
        model.insertHelper(BinaryHelper(
            7, QStringLiteral("Other"), QStringLiteral("other"), QStringLiteral("3.0")));
        QCOMPARE(model.helperById(7).name, QStringLiteral("Seven"));

        model.deleteHelper(7);
        QVERIFY(storedIds().isEmpty());
    }

    void copiesLeaveTheUpdateFlagsBehind()
    {
        BinaryHelper helper(1, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
        helper.isNew = true;
        helper.isRequired = true;
        const BinaryHelper copy(helper);
        QCOMPARE(copy.binaryName, QStringLiteral("b"));
        QVERIFY(!copy.isNew && !copy.isRequired);
        BinaryHelper assigned;
        assigned = helper;
        QCOMPARE(assigned.id, 1);
        QVERIFY(!assigned.isNew && !assigned.isRequired);
    }

    void loadingForgetsHelpersThatAreGoneOrOutsideTheirFolder()
    {
        QVERIFY(!ExtractionFixture::writeHelperScript(QStringLiteral("present"), "#!/bin/sh\n")
                     .isEmpty());
        // A file that exists, but outside the helpers folder.
        QVERIFY(!ExtractionFixture::writeHelperScript(QStringLiteral("decoy"), "#!/bin/sh\n")
                     .isEmpty());
        BinaryHelperModel model(nullptr, database());
        model.insertHelper(BinaryHelper(
            1, QStringLiteral("Download"), QStringLiteral("present"), QStringLiteral("1")));
        model.insertHelper(
            BinaryHelper(2, QStringLiteral("Gone"), QStringLiteral("gone"), QStringLiteral("1")));
        model.insertHelper(BinaryHelper(3, QStringLiteral("Escaping"),
            QStringLiteral("../helpers/decoy"), QStringLiteral("1")));
        model.insertHelper(
            BinaryHelper(4, QStringLiteral("Nameless"), QString(), QStringLiteral("1")));

        BinaryHelpers registry;
        const QHash<int, BinaryHelper> helpers = registry.helpers();
        QCOMPARE(helpers.keys(), QList<int> { 1 });
        QCOMPARE(BinaryHelpers::helperPath(helpers.value(1)),
            AppContext::helpersLocation() + QStringLiteral("present"));
        QCOMPARE(storedIds(), QList<int> { 1 });
        QVERIFY(!registry.isEmpty());

        QVERIFY(
            BinaryHelpers::helperPath(BinaryHelper(5, QString(), QStringLiteral(".."), QString()))
                .isEmpty());
        QVERIFY(
            BinaryHelpers::helperPath(BinaryHelper(5, QString(), QString(), QString())).isEmpty());

        // A helper installed later in the same run appears after a reload.
        model.insertHelper(
            BinaryHelper(6, QStringLiteral("Later"), QStringLiteral("decoy"), QStringLiteral("1")));
        QVERIFY(!registry.helpers().contains(6));
        registry.reload();
        QVERIFY(registry.helpers().contains(6));
    }

    void setupWithoutYtDlpSaysSo()
    {
        QTemporaryDir emptyPath;
        QStringList report;
        QString error;
        QVERIFY(HelperRegistration({ emptyPath.path() }).run(&report, &error));
        QVERIFY(error.isEmpty());
        QVERIFY(report.join(QLatin1Char('\n')).contains(QStringLiteral("yt-dlp was not found")));
        QVERIFY(storedIds().isEmpty());
    }

    void setupRegistersYtDlpOnceAndRepairsAMissingLink()
    {
        QTemporaryDir path;
        const QString program = path.path() + QStringLiteral("/yt-dlp");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n[ \"$1\" = --version ] && echo 2099.01.02\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QString link = AppContext::helpersLocation() + QStringLiteral("yt-dlp");
        for (int run = 0; run < 2; ++run) {
            QStringList report;
            QString error;
            QVERIFY2(HelperRegistration({ path.path() }).run(&report, &error), qPrintable(error));
            QCOMPARE(QFileInfo(link).canonicalFilePath(), QFileInfo(program).canonicalFilePath());
        }
        BinaryHelper stored = BinaryHelperModel(nullptr, database()).helperById(1);
        QCOMPARE(stored.version, QStringLiteral("2099.01.02"));
        QCOMPARE(stored.binaryName, QStringLiteral("yt-dlp"));
        QCOMPARE(storedIds(), QList<int> { 1 });

        // The link went missing: the next setup puts it back and keeps one row.
        QVERIFY(QFile::remove(link));
        QStringList report;
        QString error;
        QVERIFY(HelperRegistration({ path.path() }).run(&report, &error));
        QVERIFY(QFileInfo::exists(link));
        QCOMPARE(storedIds(), QList<int> { 1 });
        QVERIFY(BinaryHelpers().helpers().contains(1));
    }

    void setupKeepsAnInstalledHelper()
    {
        QVERIFY(
            !ExtractionFixture::writeHelperScript(QStringLiteral("vendor-helper"), "#!/bin/sh\n")
                 .isEmpty());
        ExtractionFixture::registerDownloadHelper(QStringLiteral("vendor-helper"));
        QStringList report;
        QString error;
        QVERIFY(HelperRegistration().run(&report, &error));
        QCOMPARE(BinaryHelperModel(nullptr, database()).helperById(1).binaryName,
            QStringLiteral("vendor-helper"));
    }

    void setupRegistersTheSystemYtDlp()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("yt-dlp")).isEmpty())
            QSKIP("yt-dlp is not installed");
        QStringList report;
        QString error;
        QVERIFY2(HelperRegistration().run(&report, &error), qPrintable(error));
        const BinaryHelper stored = BinaryHelperModel(nullptr, database()).helperById(1);
        QProcess version;
        version.start(QStringLiteral("yt-dlp"), { QStringLiteral("--version") });
        QVERIFY(version.waitForFinished(60000));
        QCOMPARE(stored.version, QString::fromUtf8(version.readAllStandardOutput()).trimmed());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestHelperRegistry)
#include "tst_helperregistry.moc"

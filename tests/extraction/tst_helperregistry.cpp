#include "ExtractionFixture.h"
#include "TestEnvironment.h"

#include "app/AppPaths.h"
#include "core/AppContext.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"
#include "download/HelperRegistration.h"

#include <QSqlQuery>

// The helper registry on binary_helper, and how setup registers the system's yt-dlp.
class TestHelperRegistry : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;
    DbConnection m_connection;

    std::unique_ptr<BinaryHelperModel> m_model;

    QList<int> storedIds()
    {
        QList<int> ids;
        for (const BinaryHelper& helper : m_model->allHelpers())
            ids << helper.id;
        return ids;
    }

    static bool registerFrom(const QStringList& searchPath)
    {
        QStringList report;
        QString error;
        const bool ok = HelperRegistration(searchPath).run(&report, &error);
        if (!ok)
            qWarning().noquote() << error;
        return ok;
    }

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
        m_model = std::make_unique<BinaryHelperModel>(nullptr, m_connection.connection(true));
    }

    void init()
    {
        QSqlQuery(m_connection.connection()).exec(QStringLiteral("delete from binary_helper"));
    }

    void modelStatementsRoundTrip()
    {
        BinaryHelperModel& helpers = *m_model;
        QCOMPARE(helpers.helperById(7).id, -1);
        helpers.insertHelper(BinaryHelper(
            7, QStringLiteral("Seven"), QStringLiteral("seven"), QStringLiteral("1.0")));
        helpers.updateHelper(BinaryHelper(
            7, QStringLiteral("Seven"), QStringLiteral("seven-bin"), QStringLiteral("2.0")));
        QCOMPARE(helpers.helperById(7).binaryName, QStringLiteral("seven-bin"));
        QCOMPARE(helpers.helperById(7).version, QStringLiteral("2.0"));
        // A second row with the same id is refused by the key.
        helpers.insertHelper(BinaryHelper(
            7, QStringLiteral("Other"), QStringLiteral("other"), QStringLiteral("3.0")));
        QCOMPARE(helpers.helperById(7).name, QStringLiteral("Seven"));
        helpers.deleteHelper(7);
        QVERIFY(storedIds().isEmpty());

        // Copies leave the update flags behind.
        BinaryHelper flagged(1, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
        flagged.isNew = flagged.isRequired = true;
        BinaryHelper assigned;
        assigned = flagged;
        for (const BinaryHelper& copy : { BinaryHelper(flagged), assigned })
            QVERIFY(copy.binaryName == QLatin1String("b") && !copy.isNew && !copy.isRequired);
    }

    void loadingForgetsHelpersThatAreGoneOrOutsideTheirFolder()
    {
        QVERIFY(!ExtractionFixture::writeHelperScript(QStringLiteral("present"), "#!/bin/sh\n")
                     .isEmpty());
        QVERIFY(!ExtractionFixture::writeHelperScript(QStringLiteral("decoy"), "#!/bin/sh\n")
                     .isEmpty());
        BinaryHelperModel& helpers = *m_model;
        const QStringList binaryNames { QStringLiteral("present"), QStringLiteral("gone"),
            QStringLiteral("../helpers/decoy"), QString() };
        for (int id = 1; id <= binaryNames.size(); ++id)
            helpers.insertHelper(
                BinaryHelper(id, QStringLiteral("h"), binaryNames.at(id - 1), QStringLiteral("1")));

        BinaryHelpers registry;
        QCOMPARE(registry.helpers().keys(), QList<int> { 1 });
        QCOMPARE(BinaryHelpers::helperPath(registry.helpers().value(1)),
            AppPaths::helpersLocation() + QStringLiteral("present"));
        QCOMPARE(storedIds(), QList<int> { 1 });
        QVERIFY(
            BinaryHelpers::helperPath(BinaryHelper(5, QString(), QStringLiteral(".."), QString()))
                .isEmpty());

        // A helper installed later in the same run appears after a reload.
        helpers.insertHelper(
            BinaryHelper(6, QStringLiteral("Later"), QStringLiteral("decoy"), QStringLiteral("1")));
        QVERIFY(!registry.helpers().contains(6));
        registry.reload();
        QVERIFY(registry.helpers().contains(6));
    }

    void setupRegistersYtDlpOnceAndRepairsAMissingLink()
    {
        QTemporaryDir path;
        QVERIFY(registerFrom({ path.path() }));
        QVERIFY(storedIds().isEmpty());

        const QString program = path.path() + QStringLiteral("/yt-dlp");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n[ \"$1\" = --version ] && echo 2099.01.02\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString link = AppPaths::helpersLocation() + QStringLiteral("yt-dlp");
        for (int run = 0; run < 2; ++run) {
            if (run == 1)
                QVERIFY(QFile::remove(link));
            QVERIFY(registerFrom({ path.path() }));
            QCOMPARE(QFileInfo(link).canonicalFilePath(), QFileInfo(program).canonicalFilePath());
            QCOMPARE(storedIds(), QList<int> { 1 });
        }
        const BinaryHelper stored = m_model->helperById(1);
        QCOMPARE(stored.version, QStringLiteral("2099.01.02"));
        QCOMPARE(stored.binaryName, QStringLiteral("yt-dlp"));
    }

    void setupKeepsAnInstalledHelper()
    {
        QVERIFY(
            !ExtractionFixture::writeHelperScript(QStringLiteral("vendor-helper"), "#!/bin/sh\n")
                 .isEmpty());
        ExtractionFixture::registerDownloadHelper(QStringLiteral("vendor-helper"));
        QVERIFY(registerFrom({}));
        QCOMPARE(m_model->helperById(1).binaryName, QStringLiteral("vendor-helper"));
    }

    void setupRegistersTheSystemYtDlp()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("yt-dlp")).isEmpty())
            QSKIP("yt-dlp is not installed");
        QVERIFY(registerFrom({}));
        QProcess version;
        version.start(QStringLiteral("yt-dlp"), { QStringLiteral("--version") });
        QVERIFY(version.waitForFinished(60000));
        QCOMPARE(m_model->helperById(1).version,
            QString::fromUtf8(version.readAllStandardOutput()).trimmed());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestHelperRegistry)
#include "tst_helperregistry.moc"

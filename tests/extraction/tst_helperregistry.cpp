#include "TestEnvironment.h"
#include "app/AppTestSupport.h"
#include "support/TestFiles.h"
#include "support/TestProcess.h"

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

    void init() { QSqlQuery(m_connection.connection()).exec("delete from binary_helper"); }

    void modelStatementsRoundTrip()
    {
        BinaryHelperModel& helpers = *m_model;
        QCOMPARE(helpers.helperById(7).id, -1);
        helpers.insertHelper(BinaryHelper(7, "Seven", "seven", "1.0"));
        helpers.updateHelper(BinaryHelper(7, "Seven", "seven-bin", "2.0"));
        QCOMPARE(helpers.helperById(7).binaryName, "seven-bin");
        QCOMPARE(helpers.helperById(7).version, "2.0");
        // A second row with the same id is refused by the key.
        helpers.insertHelper(BinaryHelper(7, "Other", "other", "3.0"));
        QCOMPARE(helpers.helperById(7).name, "Seven");
        helpers.deleteHelper(7);
        QVERIFY(storedIds().isEmpty());
    }

    void loadingForgetsHelpersThatAreGoneOrOutsideTheirFolder()
    {
        for (const char* name : { "present", "decoy" })
            QVERIFY(writeExecutable(AppPaths::helpersLocation() + name, "#!/bin/sh\n"));
        BinaryHelperModel& helpers = *m_model;
        const QStringList binaryNames { "present", "gone", "../helpers/decoy", QString() };
        for (int id = 1; id <= binaryNames.size(); ++id)
            helpers.insertHelper(BinaryHelper(id, "h", binaryNames.at(id - 1), "1"));

        BinaryHelpers registry;
        QCOMPARE(registry.helpers().keys(), QList<int> { 1 });
        QCOMPARE(BinaryHelpers::helperPath(registry.helpers().value(1)),
            AppPaths::helpersLocation() + "present");
        QCOMPARE(storedIds(), QList<int> { 1 });
        QVERIFY(BinaryHelpers::helperPath(BinaryHelper(5, QString(), "..", QString())).isEmpty());

        // A helper installed later in the same run appears after a reload.
        helpers.insertHelper(BinaryHelper(6, "Later", "decoy", "1"));
        QVERIFY(!registry.helpers().contains(6));
        registry.reload();
        QVERIFY(registry.helpers().contains(6));
    }

    void setupRegistersYtDlpOnceAndRepairsAMissingLink()
    {
        QTemporaryDir path;
        QVERIFY(registerFrom({ path.path() }));
        QVERIFY(storedIds().isEmpty());

        const QString program = path.path() + "/yt-dlp";
        QVERIFY(writeExecutable(program, "#!/bin/sh\n[ \"$1\" = --version ] && echo 2099.01.02\n"));
        const QString link = AppPaths::helpersLocation() + "yt-dlp";
        for (int run = 0; run < 2; ++run) {
            if (run == 1)
                QVERIFY(QFile::remove(link));
            QVERIFY(registerFrom({ path.path() }));
            QCOMPARE(QFileInfo(link).canonicalFilePath(), QFileInfo(program).canonicalFilePath());
            QCOMPARE(storedIds(), QList<int> { 1 });
        }
        const BinaryHelper stored = m_model->helperById(1);
        QCOMPARE(stored.version, "2099.01.02");
        QCOMPARE(stored.binaryName, "yt-dlp");
    }

    void setupKeepsAnInstalledHelper()
    {
        QVERIFY(AppTestSupport::installDownloadHelper("vendor-helper", "#!/bin/sh\n"));
        QVERIFY(registerFrom({}));
        QCOMPARE(m_model->helperById(1).binaryName, "vendor-helper");
    }

    void setupRegistersTheSystemYtDlp()
    {
        if (QStandardPaths::findExecutable("yt-dlp").isEmpty())
            QSKIP("yt-dlp is not installed");
        QVERIFY(registerFrom({}));
        QCOMPARE(m_model->helperById(1).version,
            TestProcess::run("yt-dlp", { "--version" }).out.trimmed());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestHelperRegistry)
#include "tst_helperregistry.moc"

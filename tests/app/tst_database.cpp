#include "AppTestSupport.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/DbChangeModel.h"
#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/Installation.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <functional>

using namespace AppTestSupport;

namespace {

// Runs "work" on a thread of its own and waits for it.
void onNewThread(const std::function<void()>& work)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    QVERIFY(thread->wait(30000));
}

QVariant firstValue(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

// Every row of the table, fields joined by '|'.
QString rowsOf(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.exec("SELECT * FROM " + table + " ORDER BY 1");
    QStringList rows;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.value(i).toString();
        rows << fields.join('|');
    }
    return rows.join('\n');
}

// What each schema change step leaves behind, as flags.
enum Step {
    PresetsAdded = 1,
    Mp3OnQualityScale = 2,
    PermaUrl = 4,
    PartFilesGone = 8,
    HelperTable = 16,
    SomethingElse = 32
};

} // namespace

class DatabaseTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_workDir;
    int m_databaseCount = 0;

    // A database as an early version left it: no WMV and DivX presets, the MP3 preset under its
    // old id, row 48 at its old place, no perma_url, no binary_helper; and part files of
    // interrupted downloads next to what must survive their removal.
    QSqlDatabase olderDatabase(bool withMp3Row)
    {
        const QString path = m_workDir.filePath(QString("old-%1.db").arg(++m_databaseCount));
        QString error;
        if (!Installation::createDatabase(path, &error))
            qFatal("%s", qPrintable(error));
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", path);
        db.setDatabaseName(path);
        db.open();
        QStringList statements { "DELETE FROM video_conversions WHERE id IN (49, 50, 51)",
            "DELETE FROM audio_conversions WHERE id IN (0, 1)",
            "INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
            "(1, 'MP3', '-i {input} {output}', 'mp3')",
            "UPDATE video_conversions SET ordering=9 WHERE id=48", "DROP TABLE binary_helper",
            "ALTER TABLE downloads DROP COLUMN perma_url" };
        if (withMp3Row)
            statements << "INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
                          "(0, 'MP3', '-y -i {input} -ab {kbits_per_second} {output}', 'mp3')";
        for (const QString& statement : std::as_const(statements)) {
            if (!QSqlQuery(db).exec(statement))
                qFatal("%s", qPrintable(statement));
        }
        QDir media(Prefs::mediaPath());
        media.removeRecursively();
        media.mkpath(Prefs::mediaTmpDir() + "/folder.part");
        for (const char* name : { "a.part", "b.part", "keep.mp4", "nested/c.part" })
            writeFile(media.filePath(Prefs::mediaTmpDir() + '/' + name), {});
        return db;
    }

    static int observedSteps(const QSqlDatabase& db)
    {
        int steps = 0;
        const int added
            = firstValue(db, "SELECT count(*) FROM video_conversions WHERE id IN (49, 50, 51)")
                  .toInt();
        const bool oldMp3
            = firstValue(db, "SELECT count(*) FROM audio_conversions WHERE id=1").toInt();
        const int ordering
            = firstValue(db, "SELECT ordering FROM video_conversions WHERE id=48").toInt();
        if (added == 3 && !oldMp3 && ordering == 6)
            steps |= PresetsAdded;
        else if (added != 0 || !oldMp3 || ordering != 9)
            steps |= SomethingElse; // ran only in part
        if (firstValue(db, "SELECT ffmpeg_args FROM audio_conversions WHERE id=0")
                .toString()
                .contains(" -qscale:a {kbits_per_second} "))
            steps |= Mp3OnQualityScale;
        if (firstValue(db,
                "SELECT count(*) FROM pragma_table_info('downloads') WHERE "
                "name='perma_url'")
                .toInt())
            steps |= PermaUrl;
        if (firstValue(db, "SELECT count(*) FROM sqlite_master WHERE name='binary_helper'").toInt())
            steps |= HelperTable;
        const QDir tmp(Prefs::mediaPath() + Prefs::mediaTmpDir());
        if (!tmp.exists("a.part") && !tmp.exists("b.part"))
            steps |= PartFilesGone;
        // Never more than the plain part files of that one folder.
        if (!tmp.exists("keep.mp4") || !tmp.exists("nested/c.part") || !tmp.exists("folder.part"))
            steps |= SomethingElse;
        return steps;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(installDatabase());
        Prefs::setMediaPath(m_workDir.filePath("media"));
    }

    // A thread's connection has a name of its own and lives while a holder on that thread does.
    void connectionsBelongToTheirThread()
    {
        DbConnection mainConnection;
        const QString mainName = mainConnection.connection().connectionName();
        QString closeError;
        QString name;
        bool reopened = false, openAfterShortHolder = false, openAfterLastHolder = true;
        onNewThread([&] {
            auto holder = std::make_unique<DbConnection>();
            holder->close();
            closeError = holder->lastError();
            QSqlDatabase db = holder->connection(false);
            name = db.connectionName();
            reopened = db.isOpen();
            QSqlQuery rows(db);
            rows.exec("SELECT id FROM video_conversions");
            DbConnection().connection();
            openAfterShortHolder = db.isOpen() && rows.next();
            holder.reset();
            openAfterLastHolder = db.isOpen();
        });
        // Closing before any connection opens and closes one under the thread's name.
        QCOMPARE(closeError, "No database connection");
        QVERIFY(reopened && openAfterShortHolder && !openAfterLastHolder);
        QVERIFY2(!name.isEmpty() && name != mainName, qPrintable(name));
        QVERIFY(QSqlQuery(mainConnection.connection()).exec("SELECT 1"));
    }

    void unopenableFileIsReportedNotShown()
    {
        // A folder where the file should be: it exists, but SQLite cannot open it.
        const QString path = databasePath();
        QVERIFY(QFile::rename(path, path + ".aside") && QDir().mkdir(path));
        QString lastError;
        QString name;
        onNewThread([&] {
            DbConnection connection;
            name = connection.connection(true).connectionName();
            lastError = connection.lastError();
        });
        QVERIFY(QDir().rmdir(path) && QFile::rename(path + ".aside", path));
        QVERIFY2(lastError.startsWith("Could not open database connection: " + name + " ("),
            qPrintable(lastError));
    }

    void changeStepsFollowStoredVersionAndBuild_data()
    {
        testColumns<QString, QString, bool, int, bool>(
            "version", "build", "withMp3Row", "expectedSteps", "preferenceReset");
        const int all = PresetsAdded | Mp3OnQualityScale | PermaUrl | PartFilesGone | HelperTable;
        const int late = PermaUrl | PartFilesGone | HelperTable;
        testRow("first run", "", "", false, 0, false);
        testRow("0.9 build 1200", "0.9", "1200", false, all, true);
        testRow("0.9 with MP3 already there", "0.9", "1200", true, all, false);
        testRow("1.0 build 1600", "1.0", "1600", false, all, true);
        // "999" sorts after "1600" as text.
        testRow("1.0 build 999", "1.0", "999", true, (all & ~PresetsAdded), false);
        testRow("1.0.1", "1.0.1", "100", true, late, false);
        testRow("1.0.4", "1.0.4", "100", true, late, false);
        testRow("1.0.5", "1.0.5", "100", true, (late & ~PermaUrl), false);
        // "1.0.10" sorts before "1.0.4" as text.
        testRow("1.0.10", "1.0.10", "100", true, late, false);
        testRow("1.1.4", "1.1.4", "100", true, int(HelperTable), false);
    }

    void changeStepsFollowStoredVersionAndBuild()
    {
        auto [version, build, withMp3Row, expectedSteps, preferenceReset]
            = testFetch<QString, QString, bool, int, bool>(
                "version", "build", "withMp3Row", "expectedSteps", "preferenceReset");
        QSqlDatabase db = olderDatabase(withMp3Row);
        Prefs::setPreferredAudioFormat(3);
        DbChangeModel(version, build, db);
        QCOMPARE(observedSteps(db), expectedSteps);
        QCOMPARE(Prefs::preferredAudioFormat(), preferenceReset ? 0 : 3);
    }

    void existingPermaUrlIsKept()
    {
        QSqlDatabase db = olderDatabase(false);
        QVERIFY(QSqlQuery(db).exec("ALTER TABLE downloads ADD COLUMN perma_url TEXT"));
        QVERIFY(QSqlQuery(db).exec("INSERT INTO downloads (id, title, perma_url) VALUES "
                                   "(1, 't', 'https://example.com/watch?v=1')"));
        DbChangeModel("1.0.4", "100", db);
        QCOMPARE(firstValue(db,
                     "SELECT group_concat(type) FROM pragma_table_info('downloads') "
                     "WHERE name='perma_url'"),
            "TEXT");
        QCOMPARE(firstValue(db, "SELECT perma_url FROM downloads WHERE id=1").toString(),
            "https://example.com/watch?v=1");
    }

    void runningTheChangesTwiceChangesNothingMore()
    {
        QSqlDatabase db = olderDatabase(false);
        const auto snapshot = [&db] {
            return QStringList { rowsOf(db, "audio_conversions"), rowsOf(db, "video_conversions"),
                rowsOf(db, "sqlite_master") };
        };
        DbChangeModel("0.9", "1200", db);
        const QStringList once = snapshot();
        Prefs::setPreferredAudioFormat(2);
        DbChangeModel("0.9", "1200", db);
        QCOMPARE(snapshot(), once);
        // The MP3 row was there already, so the user's choice stays.
        QCOMPARE(Prefs::preferredAudioFormat(), 2);
    }
};

KESTROFAN_CORE_TEST_MAIN(DatabaseTest)
#include "tst_database.moc"

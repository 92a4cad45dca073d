#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/DbChangeModel.h"
#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/Installation.h"

#include <QDir>
#include <QSemaphore>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>

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

QString addressText(const QThread* thread)
{
    return QString::number(reinterpret_cast<quintptr>(thread), 16);
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

private slots:
    void initTestCase();

    void eachThreadGetsItsOwnNamedConnection();
    void connectionLivesWhileHeldOnItsThread();
    void unopenableFileIsReportedNotShown();

    void changeStepsFollowStoredVersionAndBuild_data();
    void changeStepsFollowStoredVersionAndBuild();
    void existingPermaUrlIsNotAddedAgain();
    void runningTheChangesTwiceChangesNothingMore();

private:
    QSqlDatabase olderDatabase(bool withMp3Row);
    int observedSteps(QSqlDatabase& db) const;
    QString rowsOf(QSqlDatabase& db, const QString& table) const;

    QTemporaryDir m_workDir;
    int m_databaseCount = 0;
};

void DatabaseTest::initTestCase()
{
    QVERIFY(installDatabase());
    Prefs::setMediaPath(m_workDir.filePath(QStringLiteral("media")));
}

void DatabaseTest::eachThreadGetsItsOwnNamedConnection()
{
    struct Seen
    {
        QString name;
        QString address;
        bool open = false;
    };
    Seen first;
    Seen second;
    // Both threads stay alive until both have looked, so neither reuses the other's address.
    QSemaphore looked;
    QSemaphore release;
    const auto look = [&](Seen* seen) {
        DbConnection connection;
        QSqlDatabase db = connection.connection(true);
        seen->name = db.connectionName();
        seen->address = addressText(QThread::currentThread());
        seen->open = db.isOpen() && QSqlQuery(db).exec(QStringLiteral("SELECT 1"));
        looked.release();
        release.acquire();
    };
    std::unique_ptr<QThread> one(QThread::create([&] { look(&first); }));
    std::unique_ptr<QThread> two(QThread::create([&] { look(&second); }));
    one->start();
    two->start();
    QVERIFY(looked.tryAcquire(2, 30000));
    release.release(2);
    QVERIFY(one->wait(30000) && two->wait(30000));

    for (const Seen* seen : { &first, &second }) {
        QVERIFY2(seen->open, qPrintable(seen->name));
        QVERIFY2(seen->name.startsWith(QStringLiteral("kestrofan2_0x")), qPrintable(seen->name));
        QVERIFY2(seen->name.endsWith(seen->address), qPrintable(seen->name));
        const QString digits = seen->name.mid(int(qstrlen("kestrofan2_0x")));
        QVERIFY(digits.size() >= 8);
        QCOMPARE(digits, digits.toLower());
    }
    QVERIFY(first.name != second.name);
    DbConnection mainConnection;
    const QString mainName = mainConnection.connection().connectionName();
    QVERIFY(mainName != first.name && mainName != second.name);
    QVERIFY(mainName.endsWith(addressText(QThread::currentThread())));
}

void DatabaseTest::connectionLivesWhileHeldOnItsThread()
{
    QString closeError;
    QString nameBefore;
    QString nameAfter;
    bool reopened = false;
    bool openAfterShortHolder = false;
    bool openAfterLastHolder = true;
    onNewThread([&] {
        auto holder = std::make_unique<DbConnection>();
        holder->close();
        closeError = holder->lastError();
        nameBefore = DbConnection::connectionNameForCurrentThread();
        QSqlDatabase db = holder->connection(false);
        nameAfter = db.connectionName();
        reopened = db.isOpen();
        QSqlQuery rows(db);
        rows.exec(QStringLiteral("SELECT id FROM video_conversions"));
        {
            DbConnection shortHolder;
            shortHolder.connection();
        }
        openAfterShortHolder = db.isOpen() && rows.next();
        holder.reset();
        openAfterLastHolder = db.isOpen();
    });
    // Closing before any connection opens and closes one under the thread's name.
    QCOMPARE(closeError, QStringLiteral("No database connection"));
    QCOMPARE(nameAfter, nameBefore);
    QVERIFY(reopened);
    QVERIFY(openAfterShortHolder);
    QVERIFY(!openAfterLastHolder);
}

void DatabaseTest::unopenableFileIsReportedNotShown()
{
    // A folder where the file should be: it exists, but SQLite cannot open it.
    const QString path = databasePath();
    const QString aside = path + QStringLiteral(".aside");
    QVERIFY(QFile::rename(path, aside));
    QVERIFY(QDir().mkdir(path));
    QString lastError;
    QString name;
    onNewThread([&] {
        DbConnection connection;
        QSqlDatabase db = connection.connection(true);
        name = db.connectionName();
        lastError = connection.lastError();
    });
    QVERIFY(QDir().rmdir(path));
    QVERIFY(QFile::rename(aside, path));
    QVERIFY2(
        lastError.startsWith(QStringLiteral("Could not open database connection: %1 (").arg(name)),
        qPrintable(lastError));
}

// A database as an early version left it: no WMV and DivX presets, the MP3 preset under
// its old id, row 48 at its old place, no perma_url, no binary_helper.
QSqlDatabase DatabaseTest::olderDatabase(bool withMp3Row)
{
    const QString path = m_workDir.filePath(QStringLiteral("old-%1.db").arg(++m_databaseCount));
    QString error;
    if (!Installation::createDatabase(path, &error))
        qFatal("%s", qPrintable(error));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
    db.setDatabaseName(path);
    db.open();
    QSqlQuery query(db);
    const QStringList statements = {
        QStringLiteral("DELETE FROM video_conversions WHERE id IN (49, 50, 51)"),
        QStringLiteral("DELETE FROM audio_conversions WHERE id IN (0, 1)"),
        QStringLiteral("INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
                       "(1, 'MP3', '-i {input} {output}', 'mp3')"),
        QStringLiteral("UPDATE video_conversions SET ordering=9 WHERE id=48"),
        QStringLiteral("DROP TABLE binary_helper"),
        QStringLiteral("ALTER TABLE downloads DROP COLUMN perma_url"),
    };
    for (const QString& statement : statements) {
        if (!query.exec(statement))
            qFatal("%s", qPrintable(statement));
    }
    if (withMp3Row) {
        query.exec(
            QStringLiteral("INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) "
                           "VALUES (0, 'MP3', '-y -i {input} -ab {kbits_per_second} "
                           "{output}', 'mp3')"));
    }
    // Part files of interrupted downloads, and what must survive their removal.
    QDir media(Prefs::mediaPath());
    media.removeRecursively();
    media.mkpath(Prefs::mediaTmpDir() + QStringLiteral("/nested"));
    media.mkpath(Prefs::mediaTmpDir() + QStringLiteral("/folder.part"));
    for (const char* name : { "a.part", "b.part", "keep.mp4", "nested/c.part" }) {
        QFile file(media.filePath(Prefs::mediaTmpDir() + QLatin1Char('/') + QLatin1String(name)));
        file.open(QIODevice::WriteOnly);
    }
    return db;
}

int DatabaseTest::observedSteps(QSqlDatabase& db) const
{
    const auto firstValue = [&db](const char* sql) {
        QSqlQuery query(db);
        return query.exec(QString::fromLatin1(sql)) && query.next() ? query.value(0) : QVariant();
    };
    int steps = 0;
    const int added
        = firstValue("SELECT count(*) FROM video_conversions WHERE id IN (49, 50, 51)").toInt();
    const bool oldMp3 = firstValue("SELECT count(*) FROM audio_conversions WHERE id=1").toInt();
    const int ordering = firstValue("SELECT ordering FROM video_conversions WHERE id=48").toInt();
    if (added == 3 && !oldMp3 && ordering == 6)
        steps |= PresetsAdded;
    else if (added != 0 || !oldMp3 || ordering != 9)
        steps |= SomethingElse; // ran only in part
    if (firstValue("SELECT ffmpeg_args FROM audio_conversions WHERE id=0").toString()
        == QLatin1String("-y -i {input} -vn -ar {audio_rate} -ac 2 -qscale:a "
                         "{kbits_per_second} -acodec libmp3lame -threads {threads} {output}"))
        steps |= Mp3OnQualityScale;
    if (firstValue("SELECT count(*) FROM pragma_table_info('downloads') WHERE name='perma_url'")
            .toInt())
        steps |= PermaUrl;
    if (firstValue("SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                   "name='binary_helper'")
            .toInt())
        steps |= HelperTable;

    const QDir tmp(Prefs::mediaPath() + Prefs::mediaTmpDir());
    if (!tmp.exists(QStringLiteral("a.part")) && !tmp.exists(QStringLiteral("b.part")))
        steps |= PartFilesGone;
    // Never more than the plain part files of that one folder.
    if (!tmp.exists(QStringLiteral("keep.mp4")) || !tmp.exists(QStringLiteral("nested/c.part"))
        || !tmp.exists(QStringLiteral("folder.part")))
        steps |= SomethingElse;
    return steps;
}

void DatabaseTest::changeStepsFollowStoredVersionAndBuild_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<bool>("withMp3Row");
    QTest::addColumn<int>("expectedSteps");
    QTest::addColumn<bool>("preferenceReset");
    const int all = PresetsAdded | Mp3OnQualityScale | PermaUrl | PartFilesGone | HelperTable;
    QTest::newRow("first run") << QString() << QString() << false << 0 << false;
    QTest::newRow("0.9 build 1200") << "0.9"
                                    << "1200" << false << all << true;
    QTest::newRow("0.9 with MP3 already there") << "0.9"
                                                << "1200" << true << all << false;
    QTest::newRow("1.0 build 1600") << "1.0"
                                    << "1600" << false << all << true;
    // "999" sorts after "1600" as text.
    QTest::newRow("1.0 build 999") << "1.0"
                                   << "999" << true << (all & ~PresetsAdded) << false;
    QTest::newRow("1.0.1") << "1.0.1"
                           << "100" << true << (PermaUrl | PartFilesGone | HelperTable) << false;
    QTest::newRow("1.0.4") << "1.0.4"
                           << "100" << true << (PermaUrl | PartFilesGone | HelperTable) << false;
    QTest::newRow("1.0.5") << "1.0.5"
                           << "100" << true << (PartFilesGone | HelperTable) << false;
    // "1.0.10" sorts before "1.0.4" as text.
    QTest::newRow("1.0.10") << "1.0.10"
                            << "100" << true << (PermaUrl | PartFilesGone | HelperTable) << false;
    QTest::newRow("1.1.4") << "1.1.4"
                           << "100" << true << int(HelperTable) << false;
}

void DatabaseTest::changeStepsFollowStoredVersionAndBuild()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(bool, withMp3Row);
    QFETCH(int, expectedSteps);
    QFETCH(bool, preferenceReset);
    QSqlDatabase db = olderDatabase(withMp3Row);
    Prefs::setPreferredAudioFormat(3);
    {
        DbChangeModel changes(version, build, db);
    }
    QCOMPARE(observedSteps(db), expectedSteps);
    QCOMPARE(Prefs::preferredAudioFormat(), preferenceReset ? 0 : 3);
}

void DatabaseTest::existingPermaUrlIsNotAddedAgain()
{
    QSqlDatabase db = olderDatabase(false);
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("ALTER TABLE downloads ADD COLUMN perma_url TEXT")));
    QVERIFY(
        query.exec(QStringLiteral("INSERT INTO downloads (id, title, perma_url) VALUES (1, 't', "
                                  "'https://example.com/watch?v=1')")));
    {
        DbChangeModel changes(QStringLiteral("1.0.4"), QStringLiteral("100"), db);
    }
    QVERIFY(query.exec(QStringLiteral("PRAGMA table_info(downloads)")));
    QStringList columns;
    while (query.next())
        columns << query.value(QStringLiteral("name")).toString() + QLatin1Char(' ')
                + query.value(QStringLiteral("type")).toString();
    QCOMPARE(columns.filter(QStringLiteral("perma_url")),
        QStringList { QStringLiteral("perma_url TEXT") });
    QVERIFY(query.exec(QStringLiteral("SELECT perma_url FROM downloads WHERE id=1")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("https://example.com/watch?v=1"));
}

QString DatabaseTest::rowsOf(QSqlDatabase& db, const QString& table) const
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY 1"));
    QStringList rows;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.value(i).toString();
        rows << fields.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

void DatabaseTest::runningTheChangesTwiceChangesNothingMore()
{
    QSqlDatabase db = olderDatabase(false);
    const QStringList tables = { QStringLiteral("audio_conversions"),
        QStringLiteral("video_conversions"), QStringLiteral("sqlite_master") };
    {
        DbChangeModel changes(QStringLiteral("0.9"), QStringLiteral("1200"), db);
    }
    QStringList once;
    for (const QString& table : tables)
        once << rowsOf(db, table);
    Prefs::setPreferredAudioFormat(2);
    {
        DbChangeModel changes(QStringLiteral("0.9"), QStringLiteral("1200"), db);
    }
    QStringList twice;
    for (const QString& table : tables)
        twice << rowsOf(db, table);
    QCOMPARE(twice, once);
    // The MP3 row was there already, so the user's choice stays.
    QCOMPARE(Prefs::preferredAudioFormat(), 2);
}

KESTROFAN_CORE_TEST_MAIN(DatabaseTest)
#include "tst_database.moc"

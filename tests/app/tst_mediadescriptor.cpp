#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/DbConnection.h"
#include "app/MediaDescriptor.h"
#include "convert/ConversionModel.h"

#include <QSqlQuery>

using namespace AppTestSupport;
using namespace MediaDescriptor;

// Format names where they depend on the preset rows, and the preset lookups and lists.
class MediaDescriptorTest : public QObject
{
    Q_OBJECT

private:
    // Keeps the thread's connection open for the whole run.
    DbConnection m_db;

    void exec(const QString& statement)
    {
        QVERIFY2(QSqlQuery(m_db.connection()).exec(statement), qPrintable(statement));
    }
    void addVideoPreset(int id, const QString& name, int ordering, const QString& resolution = "")
    {
        exec(QString("INSERT INTO video_conversions (id, name, resolution, ffmpeg_args, ordering, "
                     "extension) VALUES (%1, '%2', '%3', '-i {input} {output}', %4, 'mkv')")
                 .arg(id)
                 .arg(name, resolution)
                 .arg(ordering));
    }

private slots:
    void initTestCase() { QVERIFY(installDatabase()); }

    // Every case starts from the shipped presets.
    void init()
    {
        QVERIFY(m_db.connection().transaction());
        exec("DELETE FROM audio_conversions");
        exec("DELETE FROM video_conversions");
        QFile presets(":/database/presets.sql");
        QVERIFY(presets.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(presets.readAll()).split('\n')) {
            if (line.startsWith("INSERT"))
                exec(line);
        }
        QVERIFY(m_db.connection().commit());
    }

    void formatNames_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        const QString rename = "UPDATE video_conversions SET name='%1' WHERE id=%2";
        QTest::newRow("fixed name outlives a renamed row")
            << rename.arg("Renamed").arg(45) << 45 << "MP4";
        QTest::newRow("fixed name outlives a deleted row")
            << "DELETE FROM video_conversions WHERE id=51" << 51 << "DivX";
        QTest::newRow("other ids take their preset's name")
            << rename.arg("Custom size").arg(48) << 48 << "Custom size";
        QTest::newRow("deleted preset")
            << "DELETE FROM video_conversions WHERE id=48" << 48 << "Unknown";
        QTest::newRow("no such preset") << "" << 62 << "Unknown";
        QTest::newRow("nameless preset") << rename.arg("").arg(48) << 48 << "Unknown";
        QTest::newRow("an audio row is no video preset")
            << "INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
               "(30, 'FLAC', '', 'flac')"
            << 30 << "Unknown";
    }

    void formatNames()
    {
        QFETCH(QString, change);
        QFETCH(int, format);
        QFETCH(QString, name);
        if (!change.isEmpty())
            exec(change);
        addVideoPreset(-3, "Negative", 21);
        QCOMPARE(formatName(format), name);
        QCOMPARE(formatName(-3), "Negative");
    }

    void formatsFromStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::newRow("any case") << "WebM" << 47;
        QTest::newRow("m4a is AAC") << "m4a" << 2;
        QTest::newRow("ogg is an extension, not a format") << "ogg" << -1;
        QTest::newRow("with blank") << " mp4" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("wmv is no download format") << "wmv" << -1;
    }

    void formatsFromStrings()
    {
        QFETCH(QString, text);
        QFETCH(int, format);
        QCOMPARE(formatFromString(text), format);
    }

    void presetsAreReadFieldByField()
    {
        addVideoPreset(70, "Probe", 30, "320x240");
        exec("INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
             "(40, 'Flac', '-i {input} -c:a flac {output}', 'flac')");
        const ConversionModel model(nullptr, m_db.connection());
        const ConversionPreset video = model.videoPreset(70);
        QCOMPARE(QStringList({ QString::number(video.id), video.name, video.resolution,
                     video.ffmpegArgs, video.extension }),
            QStringList({ "70", "Probe", "320x240", "-i {input} {output}", "mkv" }));
        const ConversionPreset audio = model.audioPreset(40);
        QCOMPARE(QStringList({ QString::number(audio.id), audio.name, audio.resolution,
                     audio.ffmpegArgs, audio.extension }),
            QStringList({ "40", "Flac", "", "-i {input} -c:a flac {output}", "flac" }));
        // Video formats have no audio row, audio formats no video row: empty presets.
        for (const ConversionPreset& none : { model.audioPreset(45), model.videoPreset(2) })
            QVERIFY(none.id == 0 && none.name.isEmpty() && none.ffmpegArgs.isEmpty());
    }

    void databaseWithoutTablesGivesNoPresets()
    {
        QSqlDatabase empty = QSqlDatabase::addDatabase("QSQLITE", "empty");
        empty.setDatabaseName(":memory:");
        QVERIFY(empty.open());
        const ConversionModel none(nullptr, empty);
        QVERIFY(none.videoPreset(45).ffmpegArgs.isEmpty() && none.videoPreset(45).id == 0);
        QVERIFY(none.audioPresets().isEmpty() && none.videoPresets().isEmpty());
    }

    // Audio by name; video by ordering, then by name among equals.
    void presetListsFollowTheirOrder()
    {
        exec("INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
             "(40, 'zz last', '', 'x'), (41, '0 first', '', 'x')");
        addVideoPreset(80, "Zeta", 2);
        addVideoPreset(81, "Alpha", 2, "2x2");
        addVideoPreset(82, "Omega", -1);
        const ConversionModel model(nullptr, m_db.connection());
        QStringList audio;
        for (const ConversionPreset& preset : model.audioPresets())
            audio << preset.name;
        QCOMPARE(audio.first(), "0 first");
        QCOMPARE(audio.last(), "zz last");
        QStringList sorted = audio;
        sorted.sort();
        QCOMPARE(audio, sorted);

        const QList<ConversionPreset> video = model.videoPresets();
        QStringList names;
        for (const ConversionPreset& preset : video)
            names << preset.name;
        QCOMPARE(names.first(), "Omega");
        const qsizetype alpha = names.indexOf("Alpha");
        QCOMPARE(names.mid(alpha, 3), QStringList({ "Alpha", "WebM", "Zeta" }));
        QCOMPARE(video.at(alpha).id, 81);
        QCOMPARE(video.at(alpha).resolution, "2x2");
    }
};

KESTROFAN_CORE_TEST_MAIN(MediaDescriptorTest)
#include "tst_mediadescriptor.moc"

#include "AppTestSupport.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

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
        for (const QString& line :
            QString::fromUtf8(readFile(":/database/presets.sql")).split('\n')) {
            if (line.startsWith("INSERT"))
                exec(line);
        }
        QVERIFY(m_db.connection().commit());
    }

    void formatNames_data()
    {
        testColumns<QString, int, QString>("change", "format", "name");
        const QString rename = "UPDATE video_conversions SET name='%1' WHERE id=%2";
        testRow("fixed name outlives a renamed row", rename.arg("Renamed").arg(45), 45, "MP4");
        testRow("fixed name outlives a deleted row", "DELETE FROM video_conversions WHERE id=51",
            51, "DivX");
        testRow("other ids take their preset's name", rename.arg("Custom size").arg(48), 48,
            "Custom size");
        testRow("deleted preset", "DELETE FROM video_conversions WHERE id=48", 48, "Unknown");
        testRow("no such preset", "", 62, "Unknown");
        testRow("nameless preset", rename.arg("").arg(48), 48, "Unknown");
        testRow("an audio row is no video preset",
            "INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
            "(30, 'FLAC', '', 'flac')",
            30, "Unknown");
    }

    void formatNames()
    {
        auto [change, format, name] = testFetch<QString, int, QString>("change", "format", "name");
        if (!change.isEmpty())
            exec(change);
        addVideoPreset(-3, "Negative", 21);
        QCOMPARE(formatName(format), name);
        QCOMPARE(formatName(-3), "Negative");
    }

    void formatsFromStrings_data()
    {
        testColumns<QString, int>("text", "format");
        testRow("any case", "WebM", 47);
        testRow("m4a is AAC", "m4a", 2);
        testRow("ogg is an extension, not a format", "ogg", -1);
        testRow("with blank", " mp4", -1);
        testRow("empty", "", -1);
        testRow("wmv is no download format", "wmv", -1);
    }

    void formatsFromStrings()
    {
        auto [text, format] = testFetch<QString, int>("text", "format");
        QCOMPARE(formatFromString(text), format);
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
        // Video formats have no audio row, audio formats no video row: empty presets.
        for (const ConversionPreset& none : { model.audioPreset(45), model.videoPreset(2) })
            QVERIFY(none.id == 0 && none.name.isEmpty() && none.ffmpegArgs.isEmpty());
    }
};

KESTROFAN_CORE_TEST_MAIN(MediaDescriptorTest)
#include "tst_mediadescriptor.moc"

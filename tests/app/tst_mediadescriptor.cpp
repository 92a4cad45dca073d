#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/DbConnection.h"
#include "app/MediaDescriptor.h"
#include "convert/ConversionModel.h"

#include <QSqlQuery>

using namespace AppTestSupport;
using namespace MediaDescriptor;

// Media type, format and size names, and the conversion presets they fall back on.
class MediaDescriptorTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void fixedNames();
    void otherFormatsAreNamedByTheirVideoPreset();
    void formatsFromStrings_data();
    void formatsFromStrings();

    void presetLookupsByIdFillTheirFields();
    void missingPresetsAreDefault();
    void presetListsFollowTheirOrder();

private:
    void exec(const QString& statement);

    // Keeps the thread's connection open for the whole run.
    DbConnection m_db;
};

void MediaDescriptorTest::initTestCase()
{
    QVERIFY(installDatabase());
}

// Every case starts from the shipped presets.
void MediaDescriptorTest::init()
{
    QSqlDatabase db = m_db.connection();
    db.transaction();
    exec(QStringLiteral("DELETE FROM audio_conversions"));
    exec(QStringLiteral("DELETE FROM video_conversions"));
    QFile presets(QStringLiteral(":/database/presets.sql"));
    QVERIFY(presets.open(QIODevice::ReadOnly));
    for (const QString& line : QString::fromUtf8(presets.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("INSERT")))
            exec(line);
    }
    QVERIFY(db.commit());
}

void MediaDescriptorTest::exec(const QString& statement)
{
    QSqlQuery query(m_db.connection());
    QVERIFY2(query.exec(statement), qPrintable(statement));
}

void MediaDescriptorTest::fixedNames()
{
    QCOMPARE(mediaTypeName(Audio), QStringLiteral("audio"));
    QCOMPARE(mediaTypeName(Video), QStringLiteral("video"));
    QCOMPARE(mediaTypeName(MediaType(2)), QStringLiteral("unknown"));
    QStringList sizes;
    for (int size = 0; size <= 6; ++size)
        sizes << videoSizeName(VideoSize(size));
    QCOMPARE(sizes,
        (QStringList { "Unknown", "Medium (360p)", "Large (480p)", "HD (720p)", "HD (1080p)",
            "Biggest available", "Unknown" }));
    // Renamed or missing preset rows must not change the fixed format names.
    exec(QStringLiteral("UPDATE video_conversions SET name='Renamed' WHERE id IN (45, 49)"));
    exec(QStringLiteral("DELETE FROM video_conversions WHERE id=51"));
    QStringList formats;
    for (int format : { 0, 1, 2, 3, 45, 46, 47, 49, 50, 51 })
        formats << formatName(format);
    QCOMPARE(formats,
        (QStringList {
            "MP3", "Vorbis", "AAC", "Opus", "MP4", "FLV", "WebM", "WMV", "WMV", "DivX" }));
    QCOMPARE(formatExtension(47), QStringLiteral("webm"));
    QCOMPARE(formatExtension(0), QStringLiteral("mp3"));
}

void MediaDescriptorTest::otherFormatsAreNamedByTheirVideoPreset()
{
    exec(QStringLiteral("UPDATE video_conversions SET name='Custom size' WHERE id=48"));
    QCOMPARE(formatName(48), QStringLiteral("Custom size"));
    exec(QStringLiteral("INSERT INTO video_conversions (id, name, resolution, ffmpeg_args, "
                        "ordering, extension) VALUES (60, 'Later preset', '', '', 20, 'mkv'), "
                        "(-3, 'Negative', '', '', 21, 'mkv'), (61, '', '', '', 22, 'mkv')"));
    QCOMPARE(formatName(60), QStringLiteral("Later preset"));
    QCOMPARE(formatName(-3), QStringLiteral("Negative"));
    QCOMPARE(formatName(61), QStringLiteral("Unknown"));
    QCOMPARE(formatName(62), QStringLiteral("Unknown"));
    exec(QStringLiteral("DELETE FROM video_conversions WHERE id IN (48, 60, -3, 61)"));
    QCOMPARE(formatName(48), QStringLiteral("Unknown"));
    QCOMPARE(formatName(-3), QStringLiteral("Unknown"));
    // An audio preset id outside the fixed set is not a video preset.
    exec(QStringLiteral("INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) "
                        "VALUES (30, 'FLAC', '', 'flac')"));
    QCOMPARE(formatName(30), QStringLiteral("Unknown"));
}

void MediaDescriptorTest::formatsFromStrings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::newRow("mp4") << "mp4" << 45;
    QTest::newRow("WebM") << "WebM" << 47;
    QTest::newRow("m4a is AAC") << "m4a" << 2;
    QTest::newRow("vorbis") << "vorbis" << 1;
    QTest::newRow("ogg is an extension") << "ogg" << -1;
    QTest::newRow("opus") << "Opus" << 3;
    QTest::newRow("with blank") << " mp4" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("wmv is no download format") << "wmv" << -1;
}

void MediaDescriptorTest::formatsFromStrings()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    QCOMPARE(formatFromString(text), format);
}

void MediaDescriptorTest::presetLookupsByIdFillTheirFields()
{
    DbConnection db;
    const ConversionModel model(nullptr, db.connection());
    const ConversionPreset mp3 = model.audioPreset(0);
    QCOMPARE(mp3.id, 0);
    QCOMPARE(mp3.name, QStringLiteral("MP3"));
    QCOMPARE(mp3.extension, QStringLiteral("mp3"));
    QVERIFY(mp3.ffmpegArgs.contains(QStringLiteral(" -qscale:a {kbits_per_second} ")));
    QVERIFY(mp3.resolution.isEmpty());

    exec(QStringLiteral("INSERT INTO video_conversions (id, name, resolution, ffmpeg_args, "
                        "ordering, extension) VALUES (70, 'Probe', '320x240', "
                        "'-i {input} -s {ssize} {output}', 30, 'mkv')"));
    const ConversionPreset probe = model.videoPreset(70);
    QCOMPARE(probe.id, 70);
    QCOMPARE(probe.name, QStringLiteral("Probe"));
    QCOMPARE(probe.resolution, QStringLiteral("320x240"));
    QCOMPARE(probe.ffmpegArgs, QStringLiteral("-i {input} -s {ssize} {output}"));
    QCOMPARE(probe.extension, QStringLiteral("mkv"));
}

void MediaDescriptorTest::missingPresetsAreDefault()
{
    DbConnection db;
    const ConversionModel model(nullptr, db.connection());
    // Native formats have no audio row, audio formats no video row.
    for (const ConversionPreset& preset : { model.audioPreset(45), model.videoPreset(2) })
        QVERIFY(preset.id == 0 && preset.name.isEmpty() && preset.ffmpegArgs.isEmpty());
    // A database without the tables: the queries fail quietly.
    QSqlDatabase empty
        = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("empty"));
    empty.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(empty.open());
    const ConversionModel none(nullptr, empty);
    QCOMPARE(none.videoPreset(45).id, 0);
    QVERIFY(none.videoPreset(45).ffmpegArgs.isEmpty());
    QVERIFY(none.audioPresets().isEmpty());
    QVERIFY(none.videoPresets().isEmpty());
}

void MediaDescriptorTest::presetListsFollowTheirOrder()
{
    exec(QStringLiteral("INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
                        "(40, 'zz last', '', 'x'), (41, '0 first', '', 'x')"));
    exec(QStringLiteral("INSERT INTO video_conversions (id, name, resolution, ffmpeg_args, "
                        "ordering, extension) VALUES (80, 'Zeta', '1x1', '', 2, 'x'), "
                        "(81, 'Alpha', '2x2', '', 2, 'x'), (82, 'Omega', '', '', -1, 'x')"));
    DbConnection db;
    const ConversionModel model(nullptr, db.connection());

    const QList<ConversionPreset> audio = model.audioPresets();
    QStringList audioNames;
    for (const ConversionPreset& preset : audio)
        audioNames << preset.name;
    QCOMPARE(audioNames.first(), QStringLiteral("0 first"));
    QCOMPARE(audioNames.last(), QStringLiteral("zz last"));
    QStringList sorted = audioNames;
    sorted.sort();
    QCOMPARE(audioNames, sorted);
    QVERIFY(audio.first().ffmpegArgs.isEmpty() && audio.first().extension.isEmpty());
    QCOMPARE(audio.first().id, 41);

    const QList<ConversionPreset> video = model.videoPresets();
    QCOMPARE(video.first().name, QStringLiteral("Omega"));
    QStringList videoNames;
    for (const ConversionPreset& preset : video)
        videoNames << preset.name;
    // Same ordering as WebM (2): by name among equals.
    const int alpha = videoNames.indexOf(QStringLiteral("Alpha"));
    QVERIFY(alpha >= 0);
    QCOMPARE(videoNames.mid(alpha, 3), (QStringList { "Alpha", "WebM", "Zeta" }));
    QCOMPARE(video.at(alpha).resolution, QStringLiteral("2x2"));
    QCOMPARE(video.at(alpha).id, 81);
    QVERIFY(video.at(alpha).ffmpegArgs.isEmpty());
}

KESTROFAN_CORE_TEST_MAIN(MediaDescriptorTest)
#include "tst_mediadescriptor.moc"

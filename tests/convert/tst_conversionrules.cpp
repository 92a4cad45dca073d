#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/MediaDescriptor.h"
#include "convert/AudioConverter.h"
#include "convert/FilePlacement.h"
#include "convert/PresetArguments.h"
#include "convert/TitleInfo.h"
#include "convert/VideoConverter.h"

// How converters read titles, fill preset templates and name files, without running ffmpeg.
class ConversionRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void titleSplitting_data()
    {
        testColumns<QString, bool, QString, QString>("source", "isVideo", "artist", "title");
        testRow("dash", "Artist - Song", false, "Artist", "Song");
        testRow("en dash", "Artist \u2013 Song", false, "Artist", "Song");
        testRow("several dashes", "A - B - C", false, "A", "B - C");
        testRow("dash first", "-Intro-Outro", false, "Unknown", "-Intro-Outro");
        testRow("tilde", "Band ~ Live", false, "Band", "Live");
        testRow("bar", "Band|Live", false, "Band", "Live");
        testRow("comma", "Band, Live", false, "Band", "Live");
        testRow("no separator", "Song", false, "Unknown", "Song");
        testRow("underscores and blanks", "  My_Song \t Name ", false, "Unknown", "My Song Name");
        testRow("video never split", "Artist - Song", true, "Unknown", "Artist - Song");
    }

    void titleSplitting()
    {
        auto [source, isVideo] = testFetch<QString, bool>("source", "isVideo");
        const TitleInfo info(source, isVideo);
        QTEST(info.artist(), "artist");
        QTEST(info.title(), "title");
    }

    void bitrateArgument_data()
    {
        testColumns<QString, int, QString>("preset", "kbits", "argument");
        const QString lame = "-i {input} -acodec libmp3lame -qscale:a {kbits_per_second} {output}";
        const QString aac = "-i {input} -acodec aac -b:a {kbits_per_second} {output}";
        testRow("unknown rate", lame, 0, "2");
        testRow("48", lame, 48, "9");
        testRow("49", lame, 49, "7");
        testRow("128", lame, 128, "5");
        testRow("300", lame, 300, "0");
        testRow("not LAME", aac, 128, "128k");
        testRow("not LAME, unknown", aac, -1, "192k");
    }

    void bitrateArgument()
    {
        auto [preset, kbits] = testFetch<QString, int>("preset", "kbits");
        QTEST(PresetArguments(preset).audioBitrate(kbits), "argument");
    }

    void frameRate_data()
    {
        testColumns<QString, double>("output", "rate");
        testRow("25", "Stream #0:0: Video: h264, 64x48, 25 fps, 25 tbr", 25.0);
        testRow("NTSC", "Video: h264, 1280x720, 29.97 fps, 29.97 tbr", 29.97);
        testRow("kilo", "Video: mjpeg, 1k fps, 1k tbr", 1000.0);
        testRow("none", "Stream #0:0: Audio: aac, 44100 Hz", -1.0);
    }

    void frameRate()
    {
        QFETCH(QString, output);
        QTEST(PresetArguments::probedFrameRate(output), "rate");
    }

    // The tags stand just before the output file, in the order each converter gives them.
    void metadataBeforeOutput()
    {
        ConversionItem item { "Artist - Song", MediaDescriptor::Audio, MediaDescriptor::AAC, 128,
            "About it", "http://127.0.0.1/v", -1 };
        PresetArguments preset("-y -i {input}  -threads {threads} {output}");
        preset.fill("{threads}", "4");
        QStringList arguments = preset.arguments();
        AudioConverter(item, "/tmp/in", false, ConversionOptions()).addMetadata(arguments);
        const QString comment
            = "comment=Downloaded with Kestrofan 2. Source URL: http://127.0.0.1/v";
        QCOMPARE(arguments,
            QStringList({ "-y", "-i", "{input}", "", "-threads", "4", "-metadata", "title=Song",
                "-metadata", "Author=Artist", "-metadata", "Artist=Artist", "-metadata", comment,
                "{output}" }));

        item.mediaType = MediaDescriptor::Video;
        item.title = QString(300, 'x');
        arguments = QStringList { "-i", "in", "out" };
        VideoConverter(item, "/tmp/in", ConversionOptions()).addMetadata(arguments);
        QCOMPARE(arguments,
            QStringList({ "-i", "in", "-metadata", "title=" + QString(245, 'x'), "-metadata",
                "description=About it", "-metadata", comment, "out" }));
    }

    // The counter goes before the extension, also when the title has dots of its own.
    void uniqueNames()
    {
        QTemporaryDir folder;
        QCOMPARE(FilePlacement::uniqueFileName(folder.path(), "Mr. Smith", "mp3"),
            folder.filePath("Mr. Smith.mp3"));
        QVERIFY(writeFile(folder.filePath("Mr. Smith.mp3"), {}));
        QCOMPARE(FilePlacement::uniqueFileName(folder.path(), "Mr. Smith", "mp3"),
            folder.filePath("Mr. Smith-1.mp3"));
        QVERIFY(writeFile(folder.filePath("source"), "x"));
        QString error;
        QVERIFY(!FilePlacement::moveWithoutReplacing(
            folder.filePath("source"), folder.filePath("Mr. Smith.mp3"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(QFileInfo(folder.filePath("Mr. Smith.mp3")).size(), 0);
    }
};

KESTROFAN_CORE_TEST_MAIN(ConversionRulesTest)
#include "tst_conversionrules.moc"

#include "AppTestSupport.h"
#include "TestEnvironment.h"
#include "TestProcess.h"

#include "app/DbConnection.h"
#include "convert/ConversionModel.h"

using namespace AppTestSupport;

// Every shipped preset turns a downloaded clip into a playable file with Debian's ffmpeg,
// with its placeholders filled in as the converters fill them.
class ConversionPresetsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    DbConnection m_db;

    QString clip(const QString& name) const { return m_work.filePath(name); }

    // The preset's arguments with the placeholders filled in; empty when the preset would
    // give ffmpeg an empty argument or misplace its input or output.
    static QStringList filledArguments(const QString& ffmpegArgs,
        const QMap<QString, QString>& values, const QString& input, const QString& output)
    {
        QStringList arguments = ffmpegArgs.split(' ');
        if (arguments.contains(QString()) || arguments.count("{input}") != 1
            || arguments.indexOf("{output}") != arguments.size() - 1)
            return {};
        for (QString& argument : arguments)
            argument = argument == "{input}" ? input : values.value(argument, argument);
        // The converters tag the file just before the output.
        return arguments.mid(0, arguments.size() - 1)
            + QStringList { "-metadata", "title=Test clip - with a dash", "-metadata",
                  "comment=Downloaded with Kestrofan 2", output };
    }

    // "codec_type" of each stream, with "WxH" for video.
    static QStringList probeStreams(const QString& file)
    {
        const ProgramRun probe = TestProcess::run("ffprobe",
            QString("-v error -show_entries stream=codec_type,width,height -of json").split(' ')
                + QStringList { file });
        QStringList streams;
        const QJsonArray found
            = QJsonDocument::fromJson(probe.out.toUtf8()).object().value("streams").toArray();
        for (const QJsonValue& stream : found) {
            streams << stream["codec_type"].toString();
            if (streams.last() == "video")
                streams.last()
                    += QString(" %1x%2").arg(stream["width"].toInt()).arg(stream["height"].toInt());
        }
        streams.sort();
        return streams;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(installDatabase());
        QVERIFY(m_db.connection().isOpen());
        // What downloads usually are: H.264 and AAC in MP4, and an Opus audio stream in WebM.
        QVERIFY(TestProcess::ffmpeg(
            QString("-f lavfi -i testsrc=size=320x180:rate=25 -f lavfi -i "
                    "sine=frequency=440:sample_rate=44100 -t 1 -c:v libx264 -preset ultrafast "
                    "-pix_fmt yuv420p -c:a aac -shortest")
                .split(' ')
            + QStringList { clip("download.mp4") }));
        QVERIFY(TestProcess::ffmpeg(
            QString("-f lavfi -i sine=frequency=330:sample_rate=48000 -t 1 -c:a libopus").split(' ')
            + QStringList { clip("download.webm") }));
    }

    // Formats that keep the original size come first, then one separator, then the device
    // presets (ids 4 to 43), which the preferences window warns about.
    void presetListIsOrderedForChoosing()
    {
        QString kinds;
        for (const ConversionPreset& preset :
            ConversionModel(nullptr, m_db.connection()).videoPresets()) {
            if (preset.name == "-")
                kinds += '-';
            else
                kinds += preset.id >= 45 ? 'k' : preset.id >= 4 && preset.id <= 43 ? 'd' : '?';
        }
        QVERIFY2(QRegularExpression("^k+-d+$").match(kinds).hasMatch(), qPrintable(kinds));
    }

    void presetsConvert_data()
    {
        testColumns<bool, int, QString>("audio", "id", "input");
        const ConversionModel model(nullptr, m_db.connection());
        for (const ConversionPreset& preset : model.audioPresets()) {
            QTest::addRow("%s from MP4", qPrintable(preset.name))
                << true << preset.id << clip("download.mp4");
            QTest::addRow("%s from WebM audio", qPrintable(preset.name))
                << true << preset.id << clip("download.webm");
        }
        for (const ConversionPreset& preset : model.videoPresets()) {
            if (preset.name != "-")
                testRow(qPrintable(preset.name), false, preset.id, clip("download.mp4"));
        }
    }

    void presetsConvert()
    {
        auto [audio, id, input] = testFetch<bool, int, QString>("audio", "id", "input");
        const ConversionModel model(nullptr, m_db.connection());
        const ConversionPreset preset = audio ? model.audioPreset(id) : model.videoPreset(id);
        const QString output
            = m_work.filePath(QString("%1-%2-%3.%4")
                                  .arg(QString(audio ? "audio" : "video"))
                                  .arg(id)
                                  .arg(QFileInfo(input).suffix(), preset.extension));
        // LAME takes a quality level in place of a bit rate.
        const bool lame = preset.ffmpegArgs.split(' ').contains("libmp3lame");
        const QMap<QString, QString> values = { { "{kbits_per_second}", lame ? "5" : "128k" },
            { "{audio_rate}", "44100" }, { "{ssize}", preset.resolution },
            // A desktop's usual threads preference, so that threaded encoders are used.
            { "{threads}", "4" } };
        const QStringList arguments = filledArguments(preset.ffmpegArgs, values, input, output);
        QVERIFY2(!arguments.isEmpty(), qPrintable(preset.ffmpegArgs));
        if (audio) {
            QVERIFY(preset.ffmpegArgs.contains(" -vn "));
        } else {
            // A preset that scales names its size; one that keeps the size names none.
            QCOMPARE(preset.ffmpegArgs.contains("{ssize}"), !preset.resolution.isEmpty());
        }
        QVERIFY(TestProcess::ffmpeg(arguments));
        const QString size = preset.resolution.isEmpty() ? "320x180" : preset.resolution;
        QCOMPARE(probeStreams(output),
            (audio ? QStringList { "audio" } : QStringList { "audio", "video " + size }));
    }
};

KESTROFAN_CORE_TEST_MAIN(ConversionPresetsTest)
#include "tst_conversionpresets.moc"

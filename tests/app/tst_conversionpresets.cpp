#include "AppTestSupport.h"
#include "TestEnvironment.h"
#include "TestProcess.h"

#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "convert/ConversionModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace AppTestSupport;

namespace {

// A desktop's usual value of the threads preference, so that threaded encoders are used.
const QString kThreads = QStringLiteral("4");

// The LAME quality the audio converter puts in place of {kbits_per_second}.
QString lameQuality(int kbitsPerSecond)
{
    if (kbitsPerSecond <= 48)
        return QStringLiteral("9");
    if (kbitsPerSecond <= 96)
        return QStringLiteral("7");
    if (kbitsPerSecond <= 128)
        return QStringLiteral("5");
    if (kbitsPerSecond <= 192)
        return QStringLiteral("2");
    return kbitsPerSecond <= 256 ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

// Every shipped preset turns a downloaded clip into a playable file with Debian's ffmpeg,
// with its placeholders filled in as the converters fill them.
class ConversionPresetsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void presetListIsOrderedForChoosing();
    void audioPresetsConvert_data();
    void audioPresetsConvert();
    void videoPresetsConvert_data();
    void videoPresetsConvert();

private:
    QStringList filledArguments(const QString& ffmpegArgs, const QMap<QString, QString>& values,
        const QString& input, const QString& output) const;
    QJsonArray probeStreams(const QString& file) const;

    QTemporaryDir m_work;
    QString m_videoClip;
    QString m_audioClip;
    DbConnection m_db;
};

void ConversionPresetsTest::initTestCase()
{
    QVERIFY(installDatabase());
    QVERIFY(m_db.connection().isOpen());
    // What downloads usually are: H.264 and AAC in MP4, and an Opus audio stream in WebM.
    m_videoClip = m_work.filePath(QStringLiteral("download.mp4"));
    m_audioClip = m_work.filePath(QStringLiteral("download.webm"));
    QVERIFY(TestProcess::ffmpeg(
        QStringLiteral("-f lavfi -i testsrc=size=320x180:rate=25 -f lavfi -i "
                       "sine=frequency=440:sample_rate=44100 -t 1 -c:v libx264 -preset ultrafast "
                       "-pix_fmt yuv420p -c:a aac -shortest")
            .split(QLatin1Char(' '))
        + QStringList { m_videoClip }));
    QVERIFY(TestProcess::ffmpeg(
        QStringLiteral("-f lavfi -i sine=frequency=330:sample_rate=48000 -t 1 -c:a libopus")
            .split(QLatin1Char(' '))
        + QStringList { m_audioClip }));
}

void ConversionPresetsTest::presetListIsOrderedForChoosing()
{
    // Formats that keep the original size come first, then one separator, then the device
    // presets (ids up to 43), which the preferences window warns about.
    const ConversionModel model(nullptr, m_db.connection());
    const QList<ConversionPreset> presets = model.videoPresets();
    int separator = -1;
    for (int i = 0; i < presets.size(); ++i) {
        if (presets.at(i).name == QLatin1String("-")) {
            QCOMPARE(separator, -1);
            separator = i;
        }
    }
    QVERIFY(separator > 0 && separator < presets.size() - 1);
    QCOMPARE(presets.first().id, 45);
    for (int i = 0; i < separator; ++i)
        QVERIFY2(presets.at(i).id >= 45, qPrintable(presets.at(i).name));
    for (int i = separator + 1; i < presets.size(); ++i)
        QVERIFY2(presets.at(i).id >= 4 && presets.at(i).id <= 43, qPrintable(presets.at(i).name));
    // Row 48 follows the three rows the schema changes add.
    QStringList order;
    for (const ConversionPreset& preset : presets)
        order << QString::number(preset.id);
    QVERIFY(order.join(QLatin1Char(',')).contains(QStringLiteral("49,50,51,48")));
}

QStringList ConversionPresetsTest::filledArguments(const QString& ffmpegArgs,
    const QMap<QString, QString>& values, const QString& input, const QString& output) const
{
    QStringList arguments = ffmpegArgs.split(QLatin1Char(' '));
    // Empty parts would become empty arguments; the tags go just before the output.
    if (arguments.contains(QString()) || arguments.count(QStringLiteral("{input}")) != 1
        || arguments.indexOf(QStringLiteral("{output}")) != arguments.size() - 1)
        return {};
    for (QString& argument : arguments) {
        if (argument == QLatin1String("{input}"))
            argument = input;
        else if (argument == QLatin1String("{output}"))
            argument = output;
        else if (values.contains(argument))
            argument = values.value(argument);
    }
    // The converters tag the file just before the output.
    arguments.insert(arguments.size() - 1, QStringLiteral("-metadata"));
    arguments.insert(arguments.size() - 1, QStringLiteral("title=Test clip - with a dash"));
    arguments.insert(arguments.size() - 1, QStringLiteral("-metadata"));
    arguments.insert(arguments.size() - 1, QStringLiteral("comment=Downloaded with Kestrofan 2"));
    return arguments;
}

QJsonArray ConversionPresetsTest::probeStreams(const QString& file) const
{
    const ProgramRun probe = TestProcess::run(QStringLiteral("ffprobe"),
        QStringLiteral("-v error -show_entries stream=codec_type,width,height -of json")
                .split(QLatin1Char(' '))
            + QStringList { file });
    return QJsonDocument::fromJson(probe.out.toUtf8())
        .object()
        .value(QStringLiteral("streams"))
        .toArray();
}

void ConversionPresetsTest::audioPresetsConvert_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("kbitsPerSecond");
    const ConversionModel model(nullptr, m_db.connection());
    for (const ConversionPreset& preset : model.audioPresets()) {
        QTest::addRow("%s from MP4 at 128 kbit/s", qPrintable(preset.name))
            << preset.id << m_videoClip << 128;
        QTest::addRow("%s from WebM audio at 48 kbit/s", qPrintable(preset.name))
            << preset.id << m_audioClip << 48;
    }
}

void ConversionPresetsTest::audioPresetsConvert()
{
    QFETCH(int, id);
    QFETCH(QString, input);
    QFETCH(int, kbitsPerSecond);
    const ConversionPreset preset = ConversionModel(nullptr, m_db.connection()).audioPreset(id);
    const QString output = m_work.filePath(
        QStringLiteral("audio-%1-%2.%3").arg(id).arg(kbitsPerSecond).arg(preset.extension));
    const bool lame
        = preset.ffmpegArgs.split(QLatin1Char(' ')).contains(QStringLiteral("libmp3lame"));
    const QMap<QString, QString> values = {
        { QStringLiteral("{kbits_per_second}"),
            lame ? lameQuality(kbitsPerSecond)
                 : QString::number(kbitsPerSecond) + QLatin1Char('k') },
        { QStringLiteral("{audio_rate}"), QStringLiteral("44100") },
        { QStringLiteral("{threads}"), kThreads },
    };
    const QStringList arguments = filledArguments(preset.ffmpegArgs, values, input, output);
    QVERIFY2(!arguments.isEmpty(), qPrintable(preset.ffmpegArgs));
    QVERIFY(preset.ffmpegArgs.contains(QStringLiteral(" -vn ")));
    QVERIFY(TestProcess::ffmpeg(arguments));
    QVERIFY(QFileInfo(output).size() > 0);
    QStringList kinds;
    for (const QJsonValue& stream : probeStreams(output))
        kinds << stream.toObject().value(QStringLiteral("codec_type")).toString();
    QCOMPARE(kinds, QStringList { QStringLiteral("audio") });
}

void ConversionPresetsTest::videoPresetsConvert_data()
{
    QTest::addColumn<int>("id");
    const ConversionModel model(nullptr, m_db.connection());
    for (const ConversionPreset& preset : model.videoPresets()) {
        if (preset.name != QLatin1String("-"))
            QTest::newRow(qPrintable(preset.name)) << preset.id;
    }
}

void ConversionPresetsTest::videoPresetsConvert()
{
    QFETCH(int, id);
    const ConversionPreset preset = ConversionModel(nullptr, m_db.connection()).videoPreset(id);
    const QString output
        = m_work.filePath(QStringLiteral("video-%1.%2").arg(id).arg(preset.extension));
    const QMap<QString, QString> values = {
        { QStringLiteral("{ssize}"), preset.resolution },
        { QStringLiteral("{threads}"), kThreads },
    };
    const QStringList arguments = filledArguments(preset.ffmpegArgs, values, m_videoClip, output);
    QVERIFY2(!arguments.isEmpty(), qPrintable(preset.ffmpegArgs));
    // A preset that scales names its size; one that keeps the size names none.
    QCOMPARE(preset.ffmpegArgs.contains(QStringLiteral("{ssize}")), !preset.resolution.isEmpty());
    QVERIFY(TestProcess::ffmpeg(arguments));
    QVERIFY(QFileInfo(output).size() > 0);
    QStringList kinds;
    QString size;
    for (const QJsonValue& value : probeStreams(output)) {
        const QJsonObject stream = value.toObject();
        kinds << stream.value(QStringLiteral("codec_type")).toString();
        if (kinds.last() == QLatin1String("video"))
            size = QStringLiteral("%1x%2")
                       .arg(stream.value(QStringLiteral("width")).toInt())
                       .arg(stream.value(QStringLiteral("height")).toInt());
    }
    kinds.sort();
    QCOMPARE(kinds, (QStringList { QStringLiteral("audio"), QStringLiteral("video") }));
    QCOMPARE(size, preset.resolution.isEmpty() ? QStringLiteral("320x180") : preset.resolution);
}

KESTROFAN_CORE_TEST_MAIN(ConversionPresetsTest)
#include "tst_conversionpresets.moc"

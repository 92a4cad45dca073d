#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"
#include "support/TestProcess.h"

#include "net/MPDFileRequest.h"

namespace {

const QByteArray kHandWritten = R"(<?xml version="1.0"?>
<MPD xmlns="urn:mpeg:dash:schema:mpd:2011" type="static" mediaPresentationDuration="PT9S">
  <Period>
    <AdaptationSet mimeType="video/mp4">
      <Representation id="v1" codecs="avc1.4d401e" width="640" height="360" bandwidth="800000"
                      frameRate="25"><BaseURL>https://cdn.test/v1.mp4</BaseURL></Representation>
      <Representation id="v2" codecs="avc1.640028" width="1280" height="720" bandwidth="2500000"
                      frameRate="25"><BaseURL>v2.mp4</BaseURL></Representation>
    </AdaptationSet>
  </Period>
  <Period>
    <AdaptationSet mimeType="audio/mp4">
      <Representation id="a1" codecs="mp4a.40.2" bandwidth="128000" audioSamplingRate="44100">
        <BaseURL>a1.m4a</BaseURL>
      </Representation>
    </AdaptationSet>
  </Period>
</MPD>)";

QJsonArray parsed(const QString& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    return error.error == QJsonParseError::NoError && document.isArray()
        ? document.array()
        : QJsonArray { "not an array" };
}

} // namespace

class MPDFileRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void listsEveryRepresentation()
    {
        m_server.serveFile("/hand.mpd", kHandWritten, "application/dash+xml");
        MPDFileRequest request;
        request.readManifest(m_server.url("/hand.mpd").toString());
        QCOMPARE(request.httpStatus(), 200);
        QVERIFY(request.errorText().isEmpty());
        const QJsonArray representations = parsed(request.responseText());
        QCOMPARE(representations.size(), 3);
        const QJsonObject first = representations.at(0).toObject();
        QCOMPARE(first.keys().size(), 8);
        QCOMPARE(first.value("id").toString(), "v1");
        QCOMPARE(first.value("codecs").toString(), "avc1.4d401e");
        QCOMPARE(first.value("width").toString(), "640");
        QCOMPARE(first.value("height").toString(), "360");
        QCOMPARE(first.value("bandwidth").toString(), "800000");
        QCOMPARE(first.value("frameRate").toString(), "25");
        QCOMPARE(first.value("baseUrl").toString(), "https://cdn.test/v1.mp4");
        const QJsonObject audio = representations.at(2).toObject();
        QCOMPARE(audio.value("audioSamplingRate").toString(), "44100");
        QCOMPARE(audio.value("frameRate"), QJsonValue(QString()));
        QCOMPARE(audio.value("width"), QJsonValue(QString()));
        QCOMPARE(audio.value("baseUrl").toString().trimmed(), "a1.m4a");
    }

    void readsWhatFfmpegWrites()
    {
        QTemporaryDir dir;
        QVERIFY(TestProcess::ffmpeg(
            QStringLiteral("-f lavfi -i testsrc=size=160x120:rate=10 -f lavfi -i "
                           "sine=frequency=440:sample_rate=22050 -t 1 -c:v mpeg4 -c:a aac -f dash "
                           "out.mpd")
                .split(QLatin1Char(' ')),
            dir.path()));
        m_server.serveFileFromDisk("/ffmpeg.mpd", dir.filePath("out.mpd"), "application/dash+xml");

        MPDFileRequest request;
        request.readManifest(m_server.url("/ffmpeg.mpd").toString());
        const QJsonArray representations = parsed(request.responseText());
        QCOMPARE(representations.size(), 2);
        const QJsonObject video = representations.at(0).toObject();
        QCOMPARE(video.value("width").toString(), "160");
        QCOMPARE(video.value("codecs").toString(), "mp4v.20");
        // The frame rate sits on the adaptation set here, not on the representation.
        QCOMPARE(video.value("frameRate").toString(), QString());
        QCOMPARE(representations.at(1).toObject().value("audioSamplingRate").toString(), "22050");
    }

    void rejectsWhatItCannotRead_data()
    {
        testColumns<QByteArray, QString, int>("manifest", "error", "status");
        testRow(
            "other root", QByteArray("<html><body/></html>"), "Expected root element 'MPD", 200);
        testRow("not xml", QByteArray("#EXTM3U\n#EXTINF:1,\na.ts\n"), "Expected root element 'MPD",
            200);
        testRow("live", QByteArray("<MPD type=\"dynamic\"><Period/></MPD>"),
            "Unsupported MPD type:dynamic", 200);
        testRow("no type", QByteArray("<MPD><Period/></MPD>"), "Unsupported MPD type:", 200);
        testRow("stray period child",
            QByteArray("<MPD type=\"static\"><Period><AdaptationSet><Representation id=\"1\"/>"
                       "</AdaptationSet><Label>x</Label></Period></MPD>"),
            "MPD: AdaptationSet tag expected", 200);
        testRow("empty", QByteArray(), QString(), 200);
        // No file is served for this one.
        testRow("missing", QByteArray(), QString(), 404);
    }

    void rejectsWhatItCannotRead()
    {
        auto [manifest, error, status]
            = testFetch<QByteArray, QString, int>("manifest", "error", "status");
        const QString path
            = QStringLiteral("/bad-%1.mpd").arg(QTest::currentDataTag()).replace(' ', '-');
        if (status == 200)
            m_server.serveFile(path, manifest, "application/dash+xml");
        MPDFileRequest request;
        request.readManifest(m_server.url(path).toString());
        QCOMPARE(request.httpStatus(), status);
        if (status == 200)
            QCOMPARE(request.errorText(), error);
        QCOMPARE(request.responseText(), "[]");
    }

private:
    TestHttpServer m_server;
};

KESTROFAN_CORE_TEST_MAIN(MPDFileRequestTest)
#include "tst_mpdfilerequest.moc"

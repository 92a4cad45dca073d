#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"
#include "support/TestProcess.h"

#include "net/MPDFileRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
        m_server.serveFile(QStringLiteral("/hand.mpd"), kHandWritten, "application/dash+xml");
        MPDFileRequest request;
        request.readManifest(m_server.url(QStringLiteral("/hand.mpd")).toString());
        QCOMPARE(request.httpStatus(), 200);
        QVERIFY(request.errorText().isEmpty());
        const QJsonArray representations = parsed(request.responseText());
        QCOMPARE(representations.size(), 3);
        const QJsonObject first = representations.at(0).toObject();
        QCOMPARE(first.keys().size(), 8);
        QCOMPARE(first.value(QStringLiteral("id")).toString(), QStringLiteral("v1"));
        QCOMPARE(first.value(QStringLiteral("codecs")).toString(), QStringLiteral("avc1.4d401e"));
        QCOMPARE(first.value(QStringLiteral("width")).toString(), QStringLiteral("640"));
        QCOMPARE(first.value(QStringLiteral("height")).toString(), QStringLiteral("360"));
        QCOMPARE(first.value(QStringLiteral("bandwidth")).toString(), QStringLiteral("800000"));
        QCOMPARE(first.value(QStringLiteral("frameRate")).toString(), QStringLiteral("25"));
        QCOMPARE(first.value(QStringLiteral("baseUrl")).toString(),
            QStringLiteral("https://cdn.test/v1.mp4"));
        const QJsonObject audio = representations.at(2).toObject();
        QCOMPARE(
            audio.value(QStringLiteral("audioSamplingRate")).toString(), QStringLiteral("44100"));
        QCOMPARE(audio.value(QStringLiteral("frameRate")), QJsonValue(QString()));
        QCOMPARE(audio.value(QStringLiteral("width")), QJsonValue(QString()));
        QCOMPARE(
            audio.value(QStringLiteral("baseUrl")).toString().trimmed(), QStringLiteral("a1.m4a"));
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
        m_server.serveFileFromDisk(QStringLiteral("/ffmpeg.mpd"),
            dir.filePath(QStringLiteral("out.mpd")), "application/dash+xml");

        MPDFileRequest request;
        request.readManifest(m_server.url(QStringLiteral("/ffmpeg.mpd")).toString());
        const QJsonArray representations = parsed(request.responseText());
        QCOMPARE(representations.size(), 2);
        const QJsonObject video = representations.at(0).toObject();
        QCOMPARE(video.value(QStringLiteral("width")).toString(), QStringLiteral("160"));
        QCOMPARE(video.value(QStringLiteral("codecs")).toString(), QStringLiteral("mp4v.20"));
        // The frame rate sits on the adaptation set here, not on the representation.
        QCOMPARE(video.value(QStringLiteral("frameRate")).toString(), QString());
        QCOMPARE(
            representations.at(1).toObject().value(QStringLiteral("audioSamplingRate")).toString(),
            QStringLiteral("22050"));
    }

    void rejectsWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("status");
        QTest::newRow("other root") << QByteArray("<html><body/></html>")
                                    << QStringLiteral("Expected root element 'MPD") << 200;
        QTest::newRow("not xml") << QByteArray("#EXTM3U\n#EXTINF:1,\na.ts\n")
                                 << QStringLiteral("Expected root element 'MPD") << 200;
        QTest::newRow("live") << QByteArray("<MPD type=\"dynamic\"><Period/></MPD>")
                              << QStringLiteral("Unsupported MPD type:dynamic") << 200;
        QTest::newRow("no type") << QByteArray("<MPD><Period/></MPD>")
                                 << QStringLiteral("Unsupported MPD type:") << 200;
        QTest::newRow("stray period child")
            << QByteArray("<MPD type=\"static\"><Period><AdaptationSet><Representation id=\"1\"/>"
                          "</AdaptationSet><Label>x</Label></Period></MPD>")
            << QStringLiteral("MPD: AdaptationSet tag expected") << 200;
        QTest::newRow("empty") << QByteArray() << QString() << 200;
        // No file is served for this one.
        QTest::newRow("missing") << QByteArray() << QString() << 404;
    }

    void rejectsWhatItCannotRead()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, error);
        QFETCH(int, status);
        const QString path
            = QStringLiteral("/bad-%1.mpd").arg(QTest::currentDataTag()).replace(' ', '-');
        if (status == 200)
            m_server.serveFile(path, manifest, "application/dash+xml");
        MPDFileRequest request;
        request.readManifest(m_server.url(path).toString());
        QCOMPARE(request.httpStatus(), status);
        if (status == 200)
            QCOMPARE(request.errorText(), error);
        QCOMPARE(request.responseText(), QStringLiteral("[]"));
    }

private:
    TestHttpServer m_server;
};

KESTROFAN_CORE_TEST_MAIN(MPDFileRequestTest)
#include "tst_mpdfilerequest.moc"

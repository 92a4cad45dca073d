#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TransferTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

using namespace TransferTestSupport;

// "kestrofan-cli fetch" as a script runs it: the file lands in the folder, an interrupted or
// killed run leaves part files that the next run of the same command continues from.
class FetchCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void killedRunIsFinishedByTheNextOne();
    void interruptedRunSaysHowToContinue();
    void videoWithSeparateAudioAsJson();
    void segmentsAreJoined();
    void addressNamesStayInTheFolder();
    void usageErrors_data();
    void usageErrors();

private:
    QProcess* startFetch(const QStringList& arguments);
    int runFetch(const QStringList& arguments, QByteArray* output = nullptr);
    qint64 notedBytes() const;
    qint64 bytesAskedFor(const QString& path) const;

    TestHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_out;
    QByteArray m_body = patternBytes(6 * 1024 * 1024 + 77, 3);
    std::unique_ptr<QProcess> m_process;
};

void FetchCommandTest::initTestCase()
{
    QVERIFY(m_server.start());
}

void FetchCommandTest::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    m_server.serveFile(QStringLiteral("/media.bin"), m_body);
    m_server.setFileOptions(QStringLiteral("/media.bin"), {});
    m_server.clearRequests();
}

QProcess* FetchCommandTest::startFetch(const QStringList& arguments)
{
    m_process = std::make_unique<QProcess>();
    m_process->start(QStringLiteral(KESTROFAN_CLI),
        QStringList { QStringLiteral("fetch") } + arguments
            + QStringList { QStringLiteral("--out"), m_out->path() });
    return m_process.get();
}

int FetchCommandTest::runFetch(const QStringList& arguments, QByteArray* output)
{
    QProcess* process = startFetch(arguments);
    if (!process->waitForFinished(60000))
        return -1;
    if (output)
        *output = process->readAllStandardOutput();
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
}

qint64 FetchCommandTest::notedBytes() const
{
    // The resume note records how far each part got ("done=1:123,2:456").
    qint64 total = 0;
    const QDir parts(m_out->filePath(QStringLiteral(".kestrofan-parts")));
    for (const QString& name : parts.entryList({ QStringLiteral("*.resume") }, QDir::Files)) {
        for (const QByteArray& line : readFile(parts.filePath(name)).split('\n')) {
            if (!line.startsWith("done="))
                continue;
            for (const QByteArray& entry : line.mid(5).split(','))
                total += entry.mid(entry.indexOf(':') + 1).toLongLong();
        }
    }
    return total;
}

qint64 FetchCommandTest::bytesAskedFor(const QString& path) const
{
    qint64 total = 0;
    for (const TestHttpRequest& request : m_server.requests()) {
        if (request.path != path || request.method != QLatin1String("GET"))
            continue;
        const QList<QByteArray> bounds = request.header("range").mid(6).split('-');
        if (bounds.size() == 2)
            total += bounds.at(1).toLongLong() - bounds.at(0).toLongLong() + 1;
    }
    return total;
}

void FetchCommandTest::killedRunIsFinishedByTheNextOne()
{
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 2 * 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/media.bin"), slow);
    const QString url = m_server.url(QStringLiteral("/media.bin")).toString();
    QProcess* first = startFetch({ url });
    QVERIFY(waitUntil([&] { return notedBytes() > 1024 * 1024; }));
    ::kill(pid_t(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->exitStatus(), QProcess::CrashExit);
    const qint64 kept = notedBytes();

    m_server.setFileOptions(QStringLiteral("/media.bin"), {});
    m_server.clearRequests();
    QByteArray output;
    QCOMPARE(runFetch({ url }, &output), 0);
    const QString file = m_out->filePath(QStringLiteral("media.bin"));
    QCOMPARE(QString::fromLocal8Bit(output).trimmed(), file);
    QCOMPARE(readFile(file), m_body);
    // The second run fetched only what the first had not written.
    QVERIFY(kept > 0);
    QVERIFY2(bytesAskedFor(QStringLiteral("/media.bin")) <= m_body.size() - kept,
        qPrintable(QString::number(bytesAskedFor(QStringLiteral("/media.bin")))));
    // Nothing is left behind.
    QCOMPARE(QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("media.bin") });
}

void FetchCommandTest::interruptedRunSaysHowToContinue()
{
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/media.bin"), slow);
    QProcess* process = startFetch({ m_server.url(QStringLiteral("/media.bin")).toString() });
    QVERIFY(waitUntil([&] { return notedBytes() > 300000; }));
    process->terminate();
    QVERIFY(process->waitForFinished(10000));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 128 + SIGTERM);
    QVERIFY(process->readAllStandardError().contains("run the same command again"));
    QVERIFY(notedBytes() > 300000);
    QVERIFY(!QFile::exists(m_out->filePath(QStringLiteral("media.bin"))));
}

void FetchCommandTest::videoWithSeparateAudioAsJson()
{
    const QString video = m_out->filePath(QStringLiteral("source-v.mp4"));
    const QString audio = m_out->filePath(QStringLiteral("source-a.m4a"));
    QVERIFY(makeClip({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("testsrc=size=64x48:rate=10"), QStringLiteral("-t"),
                         QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                         QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p") },
        video));
    QVERIFY(
        makeClip({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=d=1"), QStringLiteral("-c:a"), QStringLiteral("aac") },
            audio));
    m_server.serveFile(QStringLiteral("/clip.mp4"), readFile(video));
    m_server.serveFile(QStringLiteral("/clip-audio.m4a"), readFile(audio));

    QByteArray output;
    QCOMPARE(
        runFetch({ m_server.url(QStringLiteral("/clip.mp4")).toString(), QStringLiteral("--audio"),
                     m_server.url(QStringLiteral("/clip-audio.m4a")).toString(),
                     QStringLiteral("--json") },
            &output),
        0);
    const QJsonObject result = QJsonDocument::fromJson(output).object();
    QCOMPARE(result.value(QStringLiteral("file")).toString(),
        m_out->filePath(QStringLiteral("clip.mp4")));
    QCOMPARE(streamCodecs(m_out->filePath(QStringLiteral("clip.mp4"))),
        QStringList({ QStringLiteral("h264"), QStringLiteral("aac") }));
    QCOMPARE(result.value(QStringLiteral("bytes")).toInteger(),
        QFileInfo(m_out->filePath(QStringLiteral("clip.mp4"))).size());
}

void FetchCommandTest::segmentsAreJoined()
{
    const QString stream = m_out->filePath(QStringLiteral("source.ts"));
    QVERIFY(makeClip(
        { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc=size=64x48:rate=10"), QStringLiteral("-t"), QStringLiteral("2"),
            QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p"), QStringLiteral("-f"), QStringLiteral("mpegts") },
        stream));
    const QByteArray bytes = readFile(stream);
    QFile::remove(stream);
    // Cut where the pieces meet, so every byte is in exactly one piece.
    QStringList urls;
    for (int i = 0; i < 6; ++i) {
        const QString path = QStringLiteral("/hls/seg%1.ts").arg(i);
        const qsizetype from = bytes.size() * i / 6;
        const qsizetype to = bytes.size() * (i + 1) / 6;
        m_server.serveFile(path, bytes.mid(from, to - from));
        urls << m_server.url(path).toString();
    }
    QByteArray output;
    QCOMPARE(
        runFetch(urls + QStringList { QStringLiteral("--format"), QStringLiteral("mp4") }, &output),
        0);
    QCOMPARE(QString::fromLocal8Bit(output).trimmed(), m_out->filePath(QStringLiteral("seg0.mp4")));
    QCOMPARE(streamCodecs(m_out->filePath(QStringLiteral("seg0.mp4"))),
        QStringList { QStringLiteral("h264") });
}

void FetchCommandTest::addressNamesStayInTheFolder()
{
    m_server.serveFile(QStringLiteral("/dl/"), "index");
    m_server.serveFile(QStringLiteral("/dl/.hidden"), "hidden");
    QByteArray output;
    QCOMPARE(runFetch({ m_server.url(QStringLiteral("/dl/")).toString() }, &output), 0);
    QCOMPARE(QString::fromLocal8Bit(output).trimmed(), m_out->filePath(QStringLiteral("download")));
    QCOMPARE(runFetch({ m_server.url(QStringLiteral("/dl/.hidden")).toString() }, &output), 0);
    QCOMPARE(QString::fromLocal8Bit(output).trimmed(), m_out->filePath(QStringLiteral("hidden")));
    // A second download of the same name does not replace the first.
    QCOMPARE(runFetch({ m_server.url(QStringLiteral("/dl/.hidden")).toString() }, &output), 0);
    QCOMPARE(
        QString::fromLocal8Bit(output).trimmed(), m_out->filePath(QStringLiteral("hidden (2)")));
    QCOMPARE(readFile(m_out->filePath(QStringLiteral("download"))), QByteArray("index"));
}

void FetchCommandTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no address") << QStringList();
    QTest::newRow("not http") << QStringList { QStringLiteral("file:///etc/passwd") };
    QTest::newRow("unknown format") << QStringList { QStringLiteral("http://127.0.0.1/x"),
        QStringLiteral("--format"), QStringLiteral("nonsense") };
}

void FetchCommandTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QCOMPARE(runFetch(arguments), 2);
}

KESTROFAN_CORE_TEST_MAIN(FetchCommandTest)
#include "tst_fetchcommand.moc"

#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include <csignal>
#include <sys/mount.h>

using namespace TransferTestSupport;

// "kestrofan-cli fetch" as a script runs it: the file lands in the folder, an interrupted or
// killed run leaves part files that the next run of the same command continues from.
class FetchCommandTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_out;
    const QByteArray m_body = patternBytes(6 * 1024 * 1024 + 77, 3);
    std::unique_ptr<QProcess> m_process;

    QString url(const QString& path) const { return m_server.url(path).toString(); }
    QString out(const QString& name) const { return m_out->filePath(name); }
    QProcess* startFetch(const QStringList& arguments)
    {
        m_process = std::make_unique<QProcess>();
        m_process->start(
            KESTROFAN_CLI, QStringList { "fetch" } + arguments << "--out" << m_out->path());
        return m_process.get();
    }
    // The exit code, -1 for a crash or time-out; what the command printed goes to "output".
    int runFetch(const QStringList& arguments, QString* output = nullptr)
    {
        QProcess* process = startFetch(arguments);
        if (!process->waitForFinished(60000) || process->exitStatus() != QProcess::NormalExit)
            return -1;
        if (output)
            *output = QString::fromLocal8Bit(process->readAllStandardOutput()).trimmed();
        return process->exitCode();
    }
    // Starts a slow fetch of /media.bin and waits until the resume note records "bytes".
    QProcess* fetchSlowlyUntil(qint64 bytes)
    {
        TestHttpFileOptions slow;
        slow.bytesPerSecond = 2 * 1024 * 1024;
        m_server.setFileOptions("/media.bin", slow);
        QProcess* process = startFetch({ url("/media.bin") });
        if (!QTest::qWaitFor([&] { return notedBytes() > bytes; }, 20000))
            qWarning("The fetch did not get far enough in time");
        return process;
    }
    // The resume note records how far each part got ("done=1:123,2:456").
    qint64 notedBytes() const
    {
        qint64 total = 0;
        const QDir parts(out(".kestrofan-parts"));
        for (const QString& name : parts.entryList({ "*.resume" }, QDir::Files)) {
            for (const QByteArray& line : readFile(parts.filePath(name)).split('\n')) {
                if (line.startsWith("done=")) {
                    for (const QByteArray& entry : line.mid(5).split(','))
                        total += entry.mid(entry.indexOf(':') + 1).toLongLong();
                }
            }
        }
        return total;
    }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void init()
    {
        m_out = std::make_unique<QTemporaryDir>();
        m_server.serveFile("/media.bin", m_body);
        m_server.setFileOptions("/media.bin", {});
        m_server.clearRequests();
    }

    void killedRunIsFinishedByTheNextOne()
    {
        QProcess* first = fetchSlowlyUntil(1024 * 1024);
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::CrashExit);
        const qint64 kept = notedBytes();
        QVERIFY(kept > 1024 * 1024);

        m_server.setFileOptions("/media.bin", {});
        m_server.clearRequests();
        QString printed;
        QCOMPARE(runFetch({ url("/media.bin") }, &printed), 0);
        QCOMPARE(printed, out("media.bin"));
        QCOMPARE(readFile(out("media.bin")), m_body);
        // The second run fetched only what the first had not written, and left nothing behind.
        QVERIFY(bytesAskedFor(m_server, "/media.bin") <= m_body.size() - kept);
        QCOMPARE(
            QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList { "media.bin" });
    }

    void interruptedRunSaysHowToContinue()
    {
        QProcess* process = fetchSlowlyUntil(300000);
        process->terminate();
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 128 + SIGTERM);
        QVERIFY(process->readAllStandardError().contains("run the same command again"));
        QVERIFY(notedBytes() > 300000);
        QVERIFY(!QFile::exists(out("media.bin")));
    }

    void videoWithSeparateAudioAsJson()
    {
        QVERIFY(makeVideo(out("source-v.mp4")));
        QVERIFY(makeTone(out("source-a.m4a"), "aac"));
        m_server.serveFileFromDisk("/clip.mp4", out("source-v.mp4"));
        m_server.serveFileFromDisk("/clip-audio.m4a", out("source-a.m4a"));
        QString printed;
        QCOMPARE(
            runFetch({ url("/clip.mp4"), "--audio", url("/clip-audio.m4a"), "--json" }, &printed),
            0);
        const QJsonObject result = QJsonDocument::fromJson(printed.toUtf8()).object();
        QCOMPARE(result["file"].toString(), out("clip.mp4"));
        QCOMPARE(streamCodecs(out("clip.mp4")), QStringList({ "h264", "aac" }));
        QCOMPARE(result["bytes"].toInteger(), QFileInfo(out("clip.mp4")).size());
    }

    void segmentsAreJoined()
    {
        QVERIFY(makeVideo(m_out->filePath("source.ts"), 2));
        const QByteArray stream = readFile(out("source.ts"));
        QFile::remove(out("source.ts"));
        QStringList urls;
        for (const QUrl& piece : servePieces(m_server, stream, 6, "/hls/seg"))
            urls << piece.toString();
        QString printed;
        QCOMPARE(runFetch(urls << QStringList { "--format", "mp4" }, &printed), 0);
        QCOMPARE(printed, out("seg0.mp4"));
        QCOMPARE(streamCodecs(out("seg0.mp4")), QStringList { "h264" });
    }

    void addressNamesStayInTheFolder()
    {
        m_server.serveFile("/dl/", "index");
        m_server.serveFile("/dl/.hidden", "hidden");
        QString printed;
        QCOMPARE(runFetch({ url("/dl/") }, &printed), 0);
        QCOMPARE(printed, out("download"));
        QCOMPARE(readFile(out("download")), QByteArray("index"));
        QCOMPARE(runFetch({ url("/dl/.hidden") }, &printed), 0);
        QCOMPARE(printed, out("hidden"));
        // A second download of the same name does not replace the first.
        QCOMPARE(runFetch({ url("/dl/.hidden") }, &printed), 0);
        QCOMPARE(printed, out("hidden (2)"));
    }

    void linksAreNeverWrittenThrough()
    {
        // Dangling links under the result's name and under a temporary name of the note.
        QTemporaryDir outside;
        const QString parts = out(".kestrofan-parts");
        QVERIFY(QDir().mkpath(parts));
        const QByteArray base = QCryptographicHash::hash(
            m_server.url("/media.bin").toEncoded(), QCryptographicHash::Md5)
                                    .toHex();
        QVERIFY(QFile::link(outside.filePath("result"), out("media.bin")));
        QVERIFY(QFile::link(
            outside.filePath("note"), parts + "/" + QString::fromLatin1(base) + ".resume.new"));
        QString printed;
        QCOMPARE(runFetch({ url("/media.bin") }, &printed), 0);
        QCOMPARE(printed, out("media (2).bin"));
        QCOMPARE(readFile(out("media (2).bin")), m_body);
        QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList());
        QVERIFY(QFileInfo(out("media.bin")).isSymLink());
    }

    void namesFitTheFileSystem_data()
    {
        // path: percent-encoded
        testColumns<QString, QString, QString>("path", "first", "second");
        const QString a251(251, 'a');
        testRow("255 bytes, then numbered", "/" + a251 + ".bin", a251 + ".bin",
            QString(247, 'a') + " (2).bin");
        testRow("300 bytes keep name and extension", "/" + QString(296, 'b') + ".bin",
            QString(251, 'b') + ".bin", QString(247, 'b') + " (2).bin");
        // 100 three-byte characters and an extension: cut at a character, never inside one.
        const QString wide(100, QChar(0x20AC));
        testRow("multi-byte characters",
            "/" + QString::fromLatin1(QUrl::toPercentEncoding(wide)) + ".bin",
            QString(83, QChar(0x20AC)) + ".bin", QString(82, QChar(0x20AC)) + " (2).bin");
        testRow("bidi override and zero-width characters",
            "/%E2%80%AEevil%E2%80%8Bname%E2%80%ACfdp.bin", "evilnamefdp.bin",
            "evilnamefdp (2).bin");
    }

    void namesFitTheFileSystem()
    {
        auto [path, first, second]
            = testFetch<QString, QString, QString>("path", "first", "second");
        const QString decoded = QUrl::fromPercentEncoding(path.toLatin1());
        m_server.serveFile(decoded, "content");
        const QString address = url("/").chopped(1) + path;
        QString printed;
        QCOMPARE(runFetch({ address }, &printed), 0);
        QCOMPARE(printed, out(first));
        QCOMPARE(runFetch({ address }, &printed), 0);
        QCOMPARE(printed, out(second));
        QVERIFY(second.toUtf8().size() <= 255);
        QCOMPARE(readFile(out(second)), QByteArray("content"));
    }

    void secondRunOfTheSameFetchIsRefused()
    {
        QProcess* first = fetchSlowlyUntil(100000);
        QProcess second;
        second.start(KESTROFAN_CLI, { "fetch", url("/media.bin"), "--out", m_out->path() });
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("already being downloaded"));
        m_server.setFileOptions("/media.bin", {});
        QVERIFY(first->waitForFinished(60000));
        QCOMPARE(first->exitCode(), 0);
        QCOMPARE(readFile(out("media.bin")), m_body);
    }

    void unwritableDestinationsAreNamed_data()
    {
        testColumns<QString, QString>("options", "message");
        testRow("full disk", "size=1m", "No space left on device in %1/.kestrofan-parts");
        testRow("read-only folder", "ro,size=1m", "the folder %1 is not writable");
    }

    void unwritableDestinationsAreNamed()
    {
        auto [options, message] = testFetch<QString, QString>("options", "message");
        const QString mountPoint = out("small");
        QVERIFY(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                options.toLatin1().constData())
            != 0)
            QSKIP("Mounting a small tmpfs needs root");
        m_process = std::make_unique<QProcess>();
        m_process->start(KESTROFAN_CLI, { "fetch", url("/media.bin"), "--out", mountPoint });
        const bool ended = m_process->waitForFinished(60000);
        ::umount(QFile::encodeName(mountPoint).constData());
        QVERIFY(ended);
        QCOMPARE(m_process->exitCode(), 1);
        const QString error = QString::fromLocal8Bit(m_process->readAllStandardError());
        QVERIFY2(error.contains(message.arg(mountPoint)), qPrintable(error));
    }

    void usageErrors()
    {
        QCOMPARE(runFetch({}), 2);
        QCOMPARE(runFetch({ "file:///etc/passwd" }), 2);
        QCOMPARE(runFetch({ "http://127.0.0.1/x", "--format", "nonsense" }), 2);
    }
};

KESTROFAN_CORE_TEST_MAIN(FetchCommandTest)
#include "tst_fetchcommand.moc"

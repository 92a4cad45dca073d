#include "support/TestEnvironment.h"
#include "support/TestFiles.h"
#include "support/TestHttpServer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

// The test server's byte ranges, from memory and from disk, as Qt's own client reads them.
// Its fault options are exercised by the transfer tests that rely on them.
class TestHttpServerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (int i = 0; m_body.size() < 1000; ++i)
            m_body += QByteArray::number(i) + ',';
        m_body.truncate(1000);
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(m_dir.filePath("body.bin"), m_body));
        QVERIFY(m_server.start());
        m_server.serveFile("/memory", m_body, "video/mp4");
        m_server.serveFileFromDisk("/disk", m_dir.filePath("body.bin"), "video/mp4");
        m_server.serveFile("/plain", m_body);
        TestHttpServer::FileOptions options;
        options.ignoreRanges = true;
        m_server.setFileOptions("/plain", options);
    }

    void ranges_data()
    {
        // from: a success's body is m_body.mid(from, length)
        testColumns<QString, QByteArray, QByteArray, int, int, int, QByteArray>(
            "path", "method", "range", "status", "from", "length", "contentRange");
        for (const QString path : { "/memory", "/disk" }) {
            const auto row
                = [&path](const char* name, const QByteArray& method, const QByteArray& range,
                      int status, int from, int length, const QByteArray& contentRange) {
                      QTest::addRow("%s %s", qPrintable(path), name)
                          << path << method << range << status << from << length << contentRange;
                  };
            row("whole", "GET", "", 200, 0, 1000, "");
            row("middle", "GET", "bytes=10-19", 206, 10, 10, "bytes 10-19/1000");
            row("open end", "GET", "bytes=990-", 206, 990, 10, "bytes 990-999/1000");
            row("suffix", "GET", "bytes=-5", 206, 995, 5, "bytes 995-999/1000");
            row("clamped end", "GET", "bytes=995-5000", 206, 995, 5, "bytes 995-999/1000");
            row("from the end", "GET", "bytes=1000-", 416, 0, 0, "bytes */1000");
            row("reversed", "GET", "bytes=50-40", 416, 0, 0, "bytes */1000");
            row("head", "HEAD", "", 200, 0, 0, "");
        }
        testRow("ranges ignored", "/plain", QByteArray("GET"), QByteArray("bytes=10-19"), 200, 0,
            1000, QByteArray());
        testRow("missing", "/missing", QByteArray("GET"), QByteArray(), 404, 0, 0, QByteArray());
    }

    void ranges()
    {
        auto [path, method, range, status, from, length, contentRange]
            = testFetch<QString, QByteArray, QByteArray, int, int, int, QByteArray>(
                "path", "method", "range", "status", "from", "length", "contentRange");
        QNetworkRequest request(m_server.url(path));
        if (!range.isEmpty())
            request.setRawHeader("Range", range);
        std::unique_ptr<QNetworkReply> reply(
            method == "HEAD" ? m_manager.head(request) : m_manager.get(request));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
        QCOMPARE(reply->rawHeader("Content-Range"), contentRange);
        if (status < 300) {
            QCOMPARE(reply->readAll(), m_body.mid(from, length));
            QCOMPARE(reply->rawHeader("Accept-Ranges"),
                path == "/plain" ? QByteArray() : QByteArray("bytes"));
            QCOMPARE(reply->header(QNetworkRequest::ContentLengthHeader).toInt(),
                method == "HEAD" ? 1000 : length);
        }
        const TestHttpServer::Request seen = m_server.lastRequest(path);
        QCOMPARE(seen.method.toLatin1(), method);
        QCOMPARE(seen.header("range"), range);
    }

private:
    QByteArray m_body;
    QTemporaryDir m_dir;
    TestHttpServer m_server;
    QNetworkAccessManager m_manager;
};

KESTROFAN_CORE_TEST_MAIN(TestHttpServerTest)
#include "tst_testhttpserver.moc"

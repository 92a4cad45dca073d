#include "support/TestCertificate.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"
#include "support/TestHttpServer.h"
#include "support/TestProcess.h"

#include "download/MediaFileRequest.h"
#include "net/HttpRequest.h"
#include "net/TlsTrust.h"

// HTTPS against a server with a self-signed certificate made for this run: refused with a
// message naming the host and the problem until the certificate is trusted.
class SecureTransportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_certificate = TestCertificate::create(m_dir.path());
        QVERIFY(!m_certificate.isNull());
        m_server.useTls(m_certificate.certificate, m_certificate.key);
        m_server.serveFile("/page", "secure page", "text/plain");
        m_server.serveFile("/media.bin", m_media);
        QVERIFY(m_server.start());
        QCOMPARE(m_server.url("/page").scheme(), "https");
        HttpRequest::setDefaultTimeoutMs(10000);
    }

    void untrustedCertificateIsRefused_data() { addRows(); }
    void untrustedCertificateIsRefused()
    {
        QFETCH(QString, path);
        const QString error = fetch(path);
        QVERIFY2(error.contains("127.0.0.1"), qPrintable(error));
        QVERIFY2(error.contains("self-signed"), qPrintable(error));
        // Nothing was sent before the handshake failed.
        QCOMPARE(m_server.requestCount(path), 0);
    }

    void trustedCertificateIsAccepted_data() { addRows(); }
    void trustedCertificateIsAccepted()
    {
        QFETCH(QString, path);
        QVERIFY(TlsTrust::trustCertificatesFrom(m_certificate.certificateFile));
        const QString error = fetch(path);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(m_server.requestCount(path) > 0);
    }

    // The variable reaches the command-line tool, as a self-hoster or a test would set it.
    void variableTrustsCertificatesOfTheCommandLineTool_data()
    {
        testColumns<bool>("trusted");
        testRow("without the variable", false);
        testRow("with the variable", true);
    }
    void variableTrustsCertificatesOfTheCommandLineTool()
    {
        QFETCH(bool, trusted);
        QTemporaryDir out;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QString::fromLatin1(TlsTrust::kExtraCertificatesVariable));
        if (trusted)
            environment.insert(QString::fromLatin1(TlsTrust::kExtraCertificatesVariable),
                m_certificate.certificateFile);
        const ProgramRun run = TestProcess::run(QStringLiteral(KESTROFAN_CLI),
            { "fetch", m_server.url("/media.bin").toString(), "--out", out.path() }, environment);
        if (trusted) {
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(readFile(out.filePath("media.bin")), m_media);
        } else {
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains("127.0.0.1") && run.err.contains("self-signed"),
                qPrintable(run.err));
        }
    }

private:
    static void addRows()
    {
        testColumns<QString>("path");
        testRow("page request", "/page");
        testRow("file request", "/media.bin");
    }

    // The error text of fetching the path, or what was wrong with what arrived.
    QString fetch(const QString& path)
    {
        const QUrl url = m_server.url(path);
        if (path == QLatin1String("/page")) {
            HttpRequest request;
            request.setUseCache(false);
            if (!request.get(url.toString(), true))
                return request.errorText();
            return request.responseText() == QLatin1String("secure page") ? QString()
                                                                          : request.responseText();
        }
        MediaFileRequest request(url, "file");
        request.setTemporaryDirectory(m_dir.filePath("tmp"));
        QSignalSpy finished(&request, &MediaFileRequestBase::finished);
        QSignalSpy failed(&request, &MediaFileRequestBase::error);
        request.start();
        if (!QTest::qWaitFor([&] { return !finished.isEmpty() || !failed.isEmpty(); }, 20000))
            return QStringLiteral("no end");
        if (!request.errorText().isEmpty())
            return request.errorText();
        return readFile(request.resultFileName()) == m_media ? QString() : "wrong bytes";
    }

    QTemporaryDir m_dir;
    TestCertificate m_certificate;
    TestHttpServer m_server;
    const QByteArray m_media = QByteArray(300 * 1024, 'm');
};

KESTROFAN_CORE_TEST_MAIN(SecureTransportTest)
#include "tst_securetransport.moc"

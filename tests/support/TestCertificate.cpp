#include "TestCertificate.h"

#include <QFile>
#include <QProcess>

TestCertificate TestCertificate::create(const QString& directory)
{
    TestCertificate result;
    const QString keyFile = directory + "/test-key.pem";
    result.certificateFile = directory + "/test-certificate.pem";
    QProcess openssl;
    openssl.start("openssl",
        { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
            "-keyout", keyFile, "-out", result.certificateFile });
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        qWarning("openssl failed: %s", openssl.readAllStandardError().constData());
        return result;
    }
    QFile certificate(result.certificateFile);
    QFile key(keyFile);
    if (certificate.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly)) {
        result.certificate = QSslCertificate(certificate.readAll(), QSsl::Pem);
        result.key = QSslKey(key.readAll(), QSsl::Ec, QSsl::Pem);
    }
    return result;
}

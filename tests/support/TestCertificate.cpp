#include "TestCertificate.h"

#include <QFile>
#include <QProcess>

TestCertificate TestCertificate::create(const QString& directory)
{
    TestCertificate result;
    const QString keyFile = directory + QStringLiteral("/test-key.pem");
    result.certificateFile = directory + QStringLiteral("/test-certificate.pem");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
            QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
            QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
            QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
            QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"), keyFile,
            QStringLiteral("-out"), result.certificateFile });
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

#include "TlsTrust.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QStringList>

#include <mutex>

namespace {

const char* const kTlsProblemProperty = "kestrofanTlsProblem";

// The default configuration is process-wide; threads may make managers at the same time.
QMutex s_configurationMutex;
QAtomicInt s_trustGeneration;

QString describe(const QList<QSslError>& errors)
{
    QStringList texts;
    for (const QSslError& error : errors) {
        if (!texts.contains(error.errorString()))
            texts << error.errorString();
    }
    return texts.join(QStringLiteral("; "));
}

} // namespace

void TlsTrust::trustCertificates(const QList<QSslCertificate>& certificates)
{
    if (certificates.isEmpty())
        return;
    QMutexLocker lock(&s_configurationMutex);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
    s_trustGeneration.fetchAndAddOrdered(1);
}

int TlsTrust::trustGeneration()
{
    return s_trustGeneration.loadAcquire();
}

bool TlsTrust::trustCertificatesFrom(const QString& pemFile)
{
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(pemFile, QSsl::Pem);
    if (certificates.isEmpty()) {
        qWarning("TlsTrust: no certificate could be read from %s", qUtf8Printable(pemFile));
        return false;
    }
    trustCertificates(certificates);
    return true;
}

void TlsTrust::trustCertificatesFromEnvironment()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QString file = qEnvironmentVariable(kExtraCertificatesVariable);
        if (!file.isEmpty())
            trustCertificatesFrom(file);
    });
}

void TlsTrust::watch(QNetworkAccessManager* manager)
{
    QObject::connect(manager, &QNetworkAccessManager::sslErrors, manager,
        [](QNetworkReply* reply, const QList<QSslError>& errors) {
            // Not ignored: the reply then fails with a handshake error.
            reply->setProperty(kTlsProblemProperty, describe(errors));
        });
}

QString TlsTrust::errorText(const QNetworkReply* reply)
{
    const QString problem = reply->property(kTlsProblemProperty).toString();
    if (reply->error() != QNetworkReply::SslHandshakeFailedError && problem.isEmpty())
        return reply->errorString();
    return QCoreApplication::translate("TlsTrust", "The secure connection to %1 failed: %2")
        .arg(reply->url().host(), problem.isEmpty() ? reply->errorString() : problem);
}

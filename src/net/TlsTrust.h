#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

// Certificates are verified as Qt does by default; this is where a failed handshake is turned
// into a message, and where certificates can be trusted beyond the system's own.
class TlsTrust
{
public:
    // Names a PEM file of certificate authorities to trust besides the system's. Meant for
    // tests and for people who host their own update or media server; read once, when the
    // first network manager is made.
    static constexpr const char* kExtraCertificatesVariable = "KESTROFAN_EXTRA_CA_CERTS";

    // Adds the certificates to those that every later connection trusts (for tests and
    // self-hosted servers, like the variable above).
    static void trustCertificates(const QList<QSslCertificate>& certificates);
    // Trusts the certificates of a PEM file; false with a warning when it holds none.
    static bool trustCertificatesFrom(const QString& pemFile);
    // Applies kExtraCertificatesVariable, once per process.
    static void trustCertificatesFromEnvironment();
    // Grows with every change of the trusted certificates: kept-alive connections, set up
    // with the earlier ones, are then to be dropped.
    static int trustGeneration();

    // Remembers the TLS problems of the manager's replies, so that errorText() can name them.
    static void watch(QNetworkAccessManager* manager);
    // What went wrong with a failed reply: for a failed handshake the host and the TLS
    // problem, otherwise Qt's own description.
    static QString errorText(const QNetworkReply* reply);
};

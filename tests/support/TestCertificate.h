#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// A self-signed certificate for 127.0.0.1, made by openssl at test time in a folder the test
// owns. It is its own authority: trusting it makes a server that presents it trusted.
struct TestCertificate
{
    QSslCertificate certificate;
    QSslKey key;
    QString certificateFile; // PEM

    bool isNull() const { return certificate.isNull() || key.isNull(); }
    static TestCertificate create(const QString& directory);
};

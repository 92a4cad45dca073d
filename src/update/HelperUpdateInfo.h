#pragma once

#include <QByteArray>
#include <QString>

// A download helper the update server offers in a newer version than the installed one.
struct HelperUpdateInfo
{
    int id = -1;
    QString name;
    QString binaryName;
    QString version;
    // Both set when no version of the helper is installed yet.
    bool isNew = false;
    bool isRequired = false;
    // The SHA-256 digest the signed update index announces for the file; empty when it named
    // none (the download's own signature still has to verify).
    QByteArray sha256;
};

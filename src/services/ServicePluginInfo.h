#pragma once

#include <QByteArray>
#include <QString>

// What is known about one service plugin: the installed (or offered) revisions of its scripts.
struct ServicePluginInfo
{
    QString serviceKey;
    int serviceScriptRevision = -1;
    int extractScriptRevision = -1;
    QString name;
    QString description;
    bool isNewPlugin = false;
    // The SHA-256 digest of the service script that a signed update index announces; not
    // stored.
    QByteArray serviceScriptSha256;
};

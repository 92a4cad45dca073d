#pragma once

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
};

#pragma once

#include <QString>
#include <QStringList>

// The service plugins that ship with the program (packed at build time) and their
// installation into the plugin directory by the set-up.
class BundledPlugins
{
public:
    // Installs into "pluginsDirectory", one folder per service key.
    explicit BundledPlugins(const QString& pluginsDirectory);

    // Where the packed plugins are: the folder named by KESTROFAN_PLUGINS_DIR; else "plugins"
    // beside the executable, "../share/kestrofan2/plugins" from it, or the build tree.
    // Empty when none exists.
    static QString location();

    // Installs every bundled plugin that is missing, damaged or older (by its declared
    // revision) in the plugin directory; a newer or equal installed revision is kept.
    bool install(QStringList* report, QString* error);

private:
    QString m_pluginsDirectory;
};

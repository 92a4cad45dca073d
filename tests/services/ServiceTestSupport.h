#pragma once

#include "app/AppTestSupport.h"

#include <QMap>
#include <QString>

#include <memory>

class AppContext;
class MediaServices;

// A private installation for service tests: the database, a plugin directory holding exactly
// the plugins a test writes, and the application context with its service registry.
class ServiceFixture
{
public:
    ServiceFixture();
    ~ServiceFixture();

    // Empties the plugin directory (setup installs the bundled plugins).
    static void removeAllPlugins();
    // Packs the program into <plugin directory>/<key>/service.plugin.
    static void writePlugin(const QString& key, const QString& program);
    static QString pluginFolder(const QString& key);

    // A new context and registry over the plugin directory as it is now; the context talks
    // to "userInterface" when given, else to the recording one.
    MediaServices* loadRegistry(UserInterface* userInterface = nullptr);
    // Loads a registry over exactly these plugins (key -> program).
    MediaServices* loadOnly(
        const QMap<QString, QString>& plugins, UserInterface* userInterface = nullptr);
    void unload();

    RecordingUserInterface ui;

private:
    std::unique_ptr<AppContext> m_context;
};

// A minimal valid program with the given extra settings and functions.
QString pluginProgram(
    const QString& name, const QString& settings = QString(), const QString& functions = QString());

#include "ServiceTestSupport.h"

#include "app/AppPaths.h"
#include "core/AppContext.h"
#include "services/MediaServices.h"
#include "services/ServicePluginFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

ServiceFixture::ServiceFixture()
{
    if (!AppTestSupport::installDatabase())
        qFatal("Could not install the test database");
}

ServiceFixture::~ServiceFixture()
{
    unload();
}

void ServiceFixture::removeAllPlugins()
{
    QDir(AppPaths::servicePluginsLocation()).removeRecursively();
    QDir().mkpath(AppPaths::servicePluginsLocation());
}

QString ServiceFixture::pluginFolder(const QString& key)
{
    return AppPaths::servicePluginsLocation() + QLatin1Char('/') + key;
}

void ServiceFixture::writePlugin(const QString& key, const QString& program)
{
    QDir().mkpath(pluginFolder(key));
    QString error;
    if (!ServicePluginFile::write(pluginFolder(key) + "/service.plugin", program, &error))
        qFatal("Could not write the plugin %s: %s", qPrintable(key), qPrintable(error));
}

MediaServices* ServiceFixture::loadRegistry(UserInterface* userInterface)
{
    unload();
    ui.fatalErrors.clear();
    m_context = std::make_unique<AppContext>(userInterface ? userInterface : &ui);
    m_context->createServiceRegistries();
    return AppContext::serviceRegistry();
}

MediaServices* ServiceFixture::loadOnly(
    const QMap<QString, QString>& plugins, UserInterface* userInterface)
{
    unload();
    removeAllPlugins();
    for (auto it = plugins.cbegin(); it != plugins.cend(); ++it)
        writePlugin(it.key(), it.value());
    return loadRegistry(userInterface);
}

void ServiceFixture::unload()
{
    m_context.reset();
}

QString pluginProgram(const QString& name, const QString& settings, const QString& functions)
{
    return QStringLiteral("var __settings = { serviceName: \"%1\"%2%3 };\n%4")
        .arg(name, settings.isEmpty() ? QString() : QStringLiteral(", "), settings, functions);
}

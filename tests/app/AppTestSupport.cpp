#include "AppTestSupport.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/DbConnection.h"
#include "core/AppContext.h"
#include "core/Installation.h"
#include "download/BinaryHelperModel.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSettings>
#include <QtTest>

CoreTestContext::CoreTestContext()
{
    AppIdentity::apply();
    QStringList report;
    QString error;
    Installation installation;
    if (!installation.ensureDataDirectory(&report, &error)
        || !installation.ensureDatabase(&report, &error)) {
        qWarning().noquote() << "Could not set up the test database:" << error;
        return;
    }
    m_context = std::make_unique<AppContext>(&ui);
    if (AppContext::isDying())
        m_context.reset();
    else
        QDir().mkpath(AppPaths::helpersLocation());
}

CoreTestContext::~CoreTestContext() = default;

namespace AppTestSupport {

bool installDatabase()
{
    // The data folder is named after the organisation and application.
    AppIdentity::apply();
    QStringList report;
    QString error;
    if (Installation().run(&report, &error))
        return true;
    qWarning().noquote() << error;
    return false;
}

QString databasePath()
{
    return AppPaths::dataLocation() + QDir::separator() + AppPaths::databaseFileName();
}

void clearSettings()
{
    QSettings settings(
        QSettings::NativeFormat, QSettings::UserScope, "Ulvane Software", "Kestrofan 2");
    settings.clear();
    settings.sync();
}

void storePrefs(const QVariantMap& values)
{
    QSettings settings(
        QSettings::NativeFormat, QSettings::UserScope, "Ulvane Software", "Kestrofan 2");
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(QStringLiteral("prefs/") + it.key(), it.value());
    settings.sync();
}

bool installDownloadHelper(const QString& binaryName, const QByteArray& script)
{
    if (!script.isEmpty() && !writeExecutable(AppPaths::helpersLocation() + binaryName, script))
        return false;
    DbConnection database;
    BinaryHelperModel model(nullptr, database.connection(true));
    model.deleteHelper(BinaryHelper::downloadHelperId);
    model.insertHelper(BinaryHelper(BinaryHelper::downloadHelperId, "helper", binaryName, "1.0"));
    return model.helperById(BinaryHelper::downloadHelperId).binaryName == binaryName;
}

QProcessEnvironment privateEnvironment(const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("XDG_DATA_HOME", home + "/.local/share");
    environment.insert("XDG_CACHE_HOME", home + "/.cache");
    environment.insert("XDG_RUNTIME_DIR", home + "/runtime");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QDir(home).mkpath("runtime");
    QFile::setPermissions(
        home + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return environment;
}

} // namespace AppTestSupport

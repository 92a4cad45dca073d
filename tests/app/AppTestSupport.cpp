#include "AppTestSupport.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "core/AppContext.h"
#include "core/Installation.h"

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
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Ulvane Software"), QStringLiteral("Kestrofan 2"));
    settings.clear();
    settings.sync();
}

void storePrefs(const QVariantMap& values)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Ulvane Software"), QStringLiteral("Kestrofan 2"));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(QStringLiteral("prefs/") + it.key(), it.value());
    settings.sync();
}

QProcessEnvironment privateEnvironment(const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QDir(home).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(
        home + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return environment;
}

} // namespace AppTestSupport

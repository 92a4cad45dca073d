#include "UpdateCommand.h"

#include "app/Prefs.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "services/MediaServices.h"
#include "update/PluginInstaller.h"
#include "update/PluginVersionsChecker.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

QJsonArray pendingAsJson()
{
    QJsonArray pending;
    const auto helpers = PluginVersionsChecker::pendingHelperUpdates();
    for (const HelperUpdateInfo& helper : helpers)
        pending.append(QJsonObject { { QStringLiteral("kind"), QStringLiteral("helper") },
            { QStringLiteral("id"), helper.id }, { QStringLiteral("name"), helper.name },
            { QStringLiteral("binaryName"), helper.binaryName },
            { QStringLiteral("version"), helper.version },
            { QStringLiteral("new"), helper.isNew } });
    const auto services = PluginVersionsChecker::pendingServiceUpdates();
    for (const ServicePluginInfo& service : services)
        pending.append(QJsonObject { { QStringLiteral("kind"), QStringLiteral("service") },
            { QStringLiteral("serviceKey"), service.serviceKey },
            { QStringLiteral("name"), service.name },
            { QStringLiteral("revision"), service.serviceScriptRevision },
            { QStringLiteral("description"), service.description },
            { QStringLiteral("new"), service.isNewPlugin } });
    return pending;
}

} // namespace

QString UpdateCommand::summary() const
{
    return QStringLiteral("Check for newer service plugins and helpers and install them.");
}

void UpdateCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(QCommandLineOption(
        { QStringLiteral("y"), QStringLiteral("yes") }, QStringLiteral("Install without asking.")));
}

int UpdateCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    AppContext::instance()->createServiceRegistries();
    if (AppContext::isDying())
        return Failed;
    const UpdateServer server = UpdateServer::resolve(Prefs::updateUrl(), Prefs::updatePublicKey());
    if (!server.isConfigured()) {
        out.line(QStringLiteral("No update server is configured (set KESTROFAN_UPDATE_URL or the "
                                "preference updateUrl); the installed plugins and helpers "
                                "stay as they are."));
        return Success;
    }
    PluginVersionsChecker checker(server, AppContext::pluginInstallation());
    if (!check(checker, out))
        return Failed;
    const int count = int(PluginVersionsChecker::pendingServiceUpdates().size()
        + PluginVersionsChecker::pendingHelperUpdates().size());
    if (count == 0) {
        if (out.isJson())
            out.json(QJsonObject { { QStringLiteral("pending"), QJsonArray() },
                { QStringLiteral("log"), QJsonArray() } });
        else
            out.line(QStringLiteral("No updates available."));
        return Success;
    }
    listPending(out);
    if (!confirmed(parser, out))
        return Success;
    return install(server, out);
}

bool UpdateCommand::check(PluginVersionsChecker& checker, const CliOutput& out)
{
    QEventLoop loop;
    bool ok = false;
    bool timedOut = false;
    QObject::connect(&checker, &PluginVersionsChecker::pluginUpdatesAvailable, &loop, [&] {
        ok = true;
        loop.quit();
    });
    QObject::connect(&checker, &PluginVersionsChecker::updateHostConnectionError, &loop, [&] {
        const auto message = checker.connectionErrorMessage();
        out.error(message.text + QLatin1Char('\n') + message.informativeText.trimmed());
        loop.quit();
    });
    QObject::connect(
        &checker, &PluginVersionsChecker::timeOut, &loop, [&timedOut] { timedOut = true; });
    // A time-out is followed by the connection error; any other error ends the check.
    QObject::connect(&checker, &PluginVersionsChecker::error, &loop, [&](const QString& text) {
        out.error(text);
        if (!timedOut)
            loop.quit();
    });
    checker.check();
    loop.exec();
    return ok;
}

void UpdateCommand::listPending(const CliOutput& out) const
{
    if (out.isJson())
        return;
    out.line(QStringLiteral("Updates available:"));
    const auto helpers = PluginVersionsChecker::pendingHelperUpdates();
    for (const HelperUpdateInfo& helper : helpers)
        out.line(QStringLiteral("  helper %1 %2%3")
                     .arg(helper.name, helper.version,
                         helper.isNew ? QStringLiteral(" (new)") : QString()));
    const auto services = PluginVersionsChecker::pendingServiceUpdates();
    for (const ServicePluginInfo& service : services) {
        out.line(QStringLiteral("  service %1 (%2), revision %3%4")
                     .arg(service.name, service.serviceKey)
                     .arg(service.serviceScriptRevision)
                     .arg(service.isNewPlugin ? QStringLiteral(" (new)") : QString()));
        const QStringList lines = service.description.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : lines)
            out.line(QStringLiteral("      ") + line);
    }
}

bool UpdateCommand::confirmed(const QCommandLineParser& parser, const CliOutput& out) const
{
    if (parser.isSet(QStringLiteral("yes")))
        return true;
    if (isatty(STDIN_FILENO) != 1 || out.isJson()) {
        if (out.isJson())
            out.json(QJsonObject { { QStringLiteral("pending"), pendingAsJson() },
                { QStringLiteral("log"), QJsonArray() } });
        else
            out.line(QStringLiteral("Run \"kestrofan-cli update --yes\" to install them."));
        return false;
    }
    std::fputs("Install these updates? [y/N] ", stdout);
    std::fflush(stdout);
    const QString answer = QTextStream(stdin).readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

int UpdateCommand::install(const UpdateServer& server, const CliOutput& out)
{
    const PluginInstaller::Target target = AppContext::pluginInstallTarget();
    PluginInstaller installer(server, target);
    if (!out.isJson())
        QObject::connect(&installer, &PluginInstaller::logLine, &installer,
            [&out](const QString& line) { out.line(line); });
    QEventLoop loop;
    QObject::connect(&installer, &PluginInstaller::finished, &loop, &QEventLoop::quit);
    installer.start(PluginVersionsChecker::pendingServiceUpdates(),
        PluginVersionsChecker::pendingHelperUpdates());
    loop.exec();
    if (out.isJson())
        out.json(QJsonObject { { QStringLiteral("pending"), pendingAsJson() },
            { QStringLiteral("log"), QJsonArray::fromStringList(installer.log()) },
            { QStringLiteral("installed"), installer.filesInstalled() },
            { QStringLiteral("error"), installer.errorText() } });
    if (!installer.errorText().isEmpty()) {
        out.error(installer.errorText());
        return Failed;
    }
    return Success;
}

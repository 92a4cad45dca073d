#include "UpdateRun.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "core/AppContext.h"

#include <QSignalSpy>
#include <QtTest>

PluginVersionsChecker::Installation UpdateRun::installation()
{
    PluginVersionsChecker::Installation installation;
    installation.services = AppContext::serviceRegistry();
    installation.helpers = AppContext::helperRegistry();
    installation.pluginsDirectory = AppPaths::servicePluginsLocation();
    installation.version = AppIdentity::version();
    installation.build = AppIdentity::build();
    return installation;
}

PluginInstaller::Target UpdateRun::target()
{
    PluginInstaller::Target target;
    target.services = AppContext::serviceRegistry();
    target.helpers = AppContext::helperRegistry();
    target.pluginsDirectory = AppPaths::servicePluginsLocation();
    target.helpersDirectory = AppPaths::helpersLocation();
    return target;
}

CheckOutcome UpdateRun::check(const UpdateServer& server)
{
    PluginVersionsChecker checker(server, installation());
    QSignalSpy available(&checker, &PluginVersionsChecker::pluginUpdatesAvailable);
    QSignalSpy unreachable(&checker, &PluginVersionsChecker::updateHostConnectionError);
    QSignalSpy errors(&checker, &PluginVersionsChecker::error);
    checker.check();
    const bool settled = QTest::qWaitFor(
        [&] { return !available.isEmpty() || !unreachable.isEmpty() || !errors.isEmpty(); }, 20000);
    if (!settled)
        qWarning("The update check gave no answer in time");
    CheckOutcome outcome;
    outcome.answered = !available.isEmpty();
    outcome.unreachable = !unreachable.isEmpty();
    for (const QList<QVariant>& arguments : std::as_const(errors))
        outcome.errors << arguments.at(0).toString();
    if (outcome.answered) {
        outcome.firstRun = available.first().at(0).toBool();
        outcome.count = available.first().at(1).toInt();
    }
    outcome.unreachableText = checker.connectionErrorMessage().text;
    return outcome;
}

std::unique_ptr<PluginInstaller> UpdateRun::install(
    const UpdateServer& server, qint64 maximumHelperSize)
{
    auto installer = std::make_unique<PluginInstaller>(server, target());
    installer->setMaximumHelperSizeForTesting(maximumHelperSize);
    QSignalSpy finished(installer.get(), &PluginInstaller::finished);
    installer->start(PluginVersionsChecker::pendingServiceUpdates(),
        PluginVersionsChecker::pendingHelperUpdates());
    if (!finished.wait(30000))
        qWarning("The installation did not finish in time");
    return installer;
}

#include "UpdateRun.h"

#include "core/AppContext.h"

#include <QSignalSpy>
#include <QtTest>

CheckOutcome UpdateRun::check(const UpdateServer& server)
{
    PluginVersionsChecker checker(server, AppContext::pluginInstallation());
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
    auto installer = std::make_unique<PluginInstaller>(server, AppContext::pluginInstallTarget());
    installer->setMaximumHelperSizeForTesting(maximumHelperSize);
    QSignalSpy finished(installer.get(), &PluginInstaller::finished);
    installer->start(PluginVersionsChecker::pendingServiceUpdates(),
        PluginVersionsChecker::pendingHelperUpdates());
    if (!finished.wait(30000))
        qWarning("The installation did not finish in time");
    return installer;
}

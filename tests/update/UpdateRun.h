#pragma once

#include "update/PluginInstaller.h"
#include "update/PluginVersionsChecker.h"

#include <QStringList>

#include <memory>

// One check, or one installation, run to its end against the installation of the current
// application context.
struct CheckOutcome
{
    bool answered = false; // pluginUpdatesAvailable
    bool unreachable = false; // updateHostConnectionError
    QStringList errors;
    bool firstRun = false;
    int count = -1;
    QString unreachableText;
};

namespace UpdateRun {

CheckOutcome check(const UpdateServer& server);
// Installs everything pending; the installer after its finished().
std::unique_ptr<PluginInstaller> install(
    const UpdateServer& server, qint64 maximumHelperSize = PluginInstaller::maximumHelperSize);

} // namespace UpdateRun

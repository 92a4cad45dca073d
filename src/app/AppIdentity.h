#pragma once

#include <QString>

// Who the program is: the names that the settings store and the data folder are named after,
// and the running release.
namespace AppIdentity {

// Sets organisation, application name and version on the running Q*Application. Everything
// that names a per-user folder or the settings store depends on it.
void apply();

QString version();
QString build();

// True when nothing is stored yet or the stored release is older than the running one.
// Versions compare as plain strings, character by character, as they always have.
bool isStoredReleaseOutdated(const QString& storedVersion, const QString& storedBuild);

} // namespace AppIdentity

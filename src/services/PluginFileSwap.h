#pragma once

#include <QByteArray>
#include <QString>

// Replaces a service's plugin file so that a new program that fails to load can never leave
// the service broken: the file it replaces stays beside it as "service.plugin.previous" until
// the new one has loaded once (confirm), and comes back when it did not (rollBack).
namespace PluginFileSwap {

QString previousFileName();

// Writes "packed" as <folder>/service.plugin through a fresh temporary file in that folder.
// An empty "previous" file marks a first installation that has nothing to return to.
bool install(const QString& folder, const QByteArray& packed, QString* error);
// The new file loaded: the previous one is no longer needed.
void confirm(const QString& folder);
// The new file failed: the previous one returns (or, after a first installation, the service
// folder is left without a plugin file).
void rollBack(const QString& folder);
// A previous file left behind means a replacement was never confirmed (the program ended in
// between): keep the new file when its program loads on its own, else roll back.
void settle(const QString& folder);

} // namespace PluginFileSwap

#pragma once

#include "ServiceSettings.h"

#include <QString>

// Runs a plugin's program on its own, without any service around it, to read what it declares:
// for packing, and for comparing the revisions of a bundled and an installed plugin.
namespace PluginInspector {

// False with "problem" set when the program throws or its "__settings" are unusable.
bool inspect(const QString& pluginText, ServiceSettings* settings, QString* problem);
// Reads the packed plugin file first.
bool inspectFile(const QString& path, ServiceSettings* settings, QString* problem);

} // namespace PluginInspector

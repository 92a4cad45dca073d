#pragma once

#include <QString>

// The per-user folders and files of the program, computed on every call from the identity
// that AppIdentity::apply() set.
namespace AppPaths {

QString dataLocation();
QString cacheLocation();
QString servicePluginsLocation();
// Ends with a separator: a helper's path is this followed by its binary name.
QString helpersLocation();
QString databaseFileName();
// dataLocation() + separator + databaseFileName().
QString databaseFilePath();
QString cookieStoreFilePath();

} // namespace AppPaths

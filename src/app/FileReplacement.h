#pragma once

#include <QString>

// Puts a finished file in place of another in one step. The target name itself is replaced,
// so a symbolic link standing there is replaced as a link and never written through.
namespace FileReplacement {

// Renames "from" to "to", replacing whatever "to" was. False with "error" set when it failed.
bool moveOver(const QString& from, const QString& to, QString* error);

} // namespace FileReplacement

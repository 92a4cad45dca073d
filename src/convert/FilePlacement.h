#pragma once

#include <QString>

// Puts finished files under their names without ever replacing or writing through what is
// already there. A symbolic link, even a dangling one, counts as a taken name.
namespace FilePlacement {

bool isTaken(const QString& path);

// directory/stem.extension, or directory/stem-1.extension, -2, ... when taken; every
// candidate kept within the file-name length limit. An empty extension adds no dot.
QString uniqueFileName(const QString& directory, const QString& stem, const QString& extension);

// Renames without replacing: fails when the target name is taken, also when it is taken
// between the check and the move.
bool moveWithoutReplacing(const QString& from, const QString& to, QString* error);

// Moves the file to the first free name as uniqueFileName() counts them; the new path, or
// an empty string with the reason in *error.
QString moveToFreeName(const QString& from, const QString& directory, const QString& stem,
    const QString& extension, QString* error);

// Replaces target by source in one step (both in one folder).
bool replace(const QString& source, const QString& target, QString* error);

} // namespace FilePlacement

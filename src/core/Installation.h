#pragma once

#include <QString>
#include <QStringList>

// What the installer of a platform package would do on Linux: the per-user data folder and
// a new database with the shipped presets. Safe to run again; never touches an existing
// database.
class Installation
{
public:
    // Runs every step; "report" collects one line per thing done or found in place.
    bool run(QStringList* report, QString* error);

    bool ensureDataDirectory(QStringList* report, QString* error);
    bool ensureDatabase(QStringList* report, QString* error);

    // Creates a database file at "path" from the shipped schema and presets.
    static bool createDatabase(const QString& path, QString* error);
};

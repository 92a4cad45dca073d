#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Registers the yt-dlp of the system as the download helper when none is registered: a link
// in the helpers directory and row 1 of binary_helper. Running it again changes nothing.
class HelperRegistration
{
public:
    static constexpr int versionTimeout = 60000;

    // Where yt-dlp is looked for; the PATH when empty.
    explicit HelperRegistration(const QStringList& searchPaths = QStringList());

    // Works on the database file in the data folder. Reports what it did or found in
    // "report". False with "error" only when registering failed; a system without yt-dlp
    // gets a report line and true.
    bool run(QStringList* report, QString* error);

private:
    bool registerIn(QSqlDatabase& db, QStringList* report, QString* error);
    bool linkExecutable(const QString& executable, const QString& linkPath, QString* error);

    QStringList m_searchPaths;
};

#pragma once

#include "app/UserInterface.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QThread>

// Remembers what the core wanted to tell the user instead of showing it.
class RecordingUserInterface : public UserInterface
{
public:
    void showFatalError(const QString& text) override
    {
        fatalErrors << text;
        fatalErrorThreads << QThread::currentThread();
    }
    void showError(const QString& text) override { errors << text; }

    QStringList fatalErrors;
    QList<QThread*> fatalErrorThreads;
    QStringList errors;
};

namespace AppTestSupport {

// Creates the data folder and database in this process's private HOME, when missing.
bool installDatabase();
QString databasePath();
// Empties the settings store, as on a machine that never ran the program.
void clearSettings();
// Writes keys of the group "prefs" directly, as an earlier version or a user's edit would.
void storePrefs(const QVariantMap& values);
// A fresh HOME and XDG folders for a child process.
QProcessEnvironment privateEnvironment(const QString& home);

} // namespace AppTestSupport

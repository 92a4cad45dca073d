#pragma once

#include "app/UserInterface.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>

class AppContext;

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

// The core context on a fresh database (no helper registered) in this process's private HOME.
class CoreTestContext
{
public:
    CoreTestContext();
    ~CoreTestContext();

    bool isReady() const { return m_context != nullptr; }
    AppContext* context() const { return m_context.get(); }

    RecordingUserInterface ui;

private:
    std::unique_ptr<AppContext> m_context;
};

namespace AppTestSupport {

// Creates the data folder and database in this process's private HOME, when missing.
bool installDatabase();
QString databasePath();
// Empties the settings store, as on a machine that never ran the program.
void clearSettings();
// Writes keys of the group "prefs" directly, as an earlier version or a user's edit would.
void storePrefs(const QVariantMap& values);
// Records the file of that name in the helpers folder as the download helper, writing the
// script there first when one is given.
bool installDownloadHelper(const QString& binaryName, const QByteArray& script = QByteArray());
// A fresh HOME and XDG folders for a child process.
QProcessEnvironment privateEnvironment(const QString& home);

} // namespace AppTestSupport

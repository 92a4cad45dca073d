#pragma once

#include <QString>
#include <QStringList>

class ScriptWatchdog;

// Runs a web page's own script (a player script a plugin fetched, say) in a fresh engine with
// a minimal browser shim, one run at a time across the whole process.
class DomSandbox
{
public:
    static QString shim();

    // Evaluates the shim and the script, then calls the global function "method" with the
    // arguments as strings. Gives the result as text, the exception's text when the function
    // threw, and empty text when the script itself failed or either input is empty.
    // "watchdog", when given, bounds the run like the calling script and is paused while
    // waiting for another run to finish.
    static QString run(const QString& scriptContent, const QString& method,
        const QStringList& arguments, ScriptWatchdog* watchdog = nullptr);
};

#pragma once

#include <QJSValue>
#include <QString>

#include <memory>

class QJSEngine;
class ScriptInterface;
class ScriptWatchdog;

// One call into a service plugin: a fresh engine that evaluates the program, offers the
// "scriptInterface" object and calls one global function. Runs under the service's lock; no
// state survives it. A watchdog interrupts a program that runs past its time limits.
class ScriptCall
{
public:
    struct Outcome
    {
        enum Kind { Returned, Threw, Missing };
        Kind kind = Returned;
        QJSValue value;
        // For Threw: the exception's text, its line in the program, and whether the watchdog
        // stopped the script.
        QString errorText;
        int lineNumber = -1;
        bool interrupted = false;

        bool ok() const { return kind == Returned; }
    };

    ScriptCall(const QString& programText, const QString& serviceName);
    ~ScriptCall();
    ScriptCall(const ScriptCall&) = delete;
    ScriptCall& operator=(const ScriptCall&) = delete;

    // Evaluates the program and installs "scriptInterface"; false when the program threw.
    bool load();
    const Outcome& loadOutcome() const { return m_loadOutcome; }

    // Calls a global function with "this" bound to the string "args". A missing function
    // gives Missing; a thrown value of any kind gives Threw.
    Outcome call(const QString& function, const QJSValueList& arguments);

    // Stops the call from any thread: the script is interrupted, its pending request aborted.
    void cancel();

    QJSValue globalObject() const;
    QJSEngine* engine() const { return m_engine.get(); }

private:
    Outcome threw(const QJSValue& exception, int stackLine, const QString& where) const;
    QString stopReason() const;

    QString m_programText;
    QString m_serviceName;
    std::unique_ptr<QJSEngine> m_engine;
    std::unique_ptr<ScriptWatchdog> m_watchdog;
    std::unique_ptr<ScriptInterface> m_interface;
    QJSValue m_invoker;
    Outcome m_loadOutcome;
};

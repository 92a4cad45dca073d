#include "ScriptCall.h"

#include "PluginProgram.h"
#include "ScriptInterface.h"
#include "ScriptWatchdog.h"

#include <QJSEngine>
#include <QtDebug>

namespace {

// Calls a function and reports whether it threw: QJSValue::call alone cannot tell a thrown
// string from a returned one.
const char* const invokerSource = "(function (f, self, args) {"
                                  " try { return { ok: true, value: f.apply(self, args) }; }"
                                  " catch (e) { return { ok: false, error: e }; } })";

// Stack frames read "function:line:column:file:name".
int lineOfFirstFrame(const QStringList& stackTrace)
{
    if (stackTrace.isEmpty())
        return -1;
    bool ok = false;
    const int line = stackTrace.first().section(QLatin1Char(':'), 1, 1).toInt(&ok);
    return ok ? line : -1;
}

} // namespace

ScriptCall::ScriptCall(const QString& programText, const QString& serviceName)
    : m_programText(programText)
    , m_serviceName(serviceName)
    , m_engine(std::make_unique<QJSEngine>())
    , m_watchdog(std::make_unique<ScriptWatchdog>(ScriptWatchdog::defaultLimitMs()))
{
    m_watchdog->watch(m_engine.get());
}

ScriptCall::~ScriptCall()
{
    m_watchdog->unwatch(m_engine.get());
    m_invoker = QJSValue();
    m_loadOutcome = Outcome();
    m_interface.reset();
    m_engine.reset();
}

bool ScriptCall::load()
{
    QStringList stackTrace;
    const QJSValue result
        = m_engine->evaluate(m_programText, PluginProgram::fileName(), 1, &stackTrace);
    if (result.isError() || !stackTrace.isEmpty() || m_watchdog->hasFired()) {
        m_loadOutcome = threw(result, lineOfFirstFrame(stackTrace), QStringLiteral("program"));
        return false;
    }
    m_interface = std::make_unique<ScriptInterface>(m_watchdog.get());
    QJSEngine::setObjectOwnership(m_interface.get(), QJSEngine::CppOwnership);
    m_engine->globalObject().setProperty(
        QStringLiteral("scriptInterface"), m_engine->newQObject(m_interface.get()));
    m_invoker = m_engine->evaluate(QLatin1String(invokerSource));
    m_loadOutcome = Outcome();
    return true;
}

ScriptCall::Outcome ScriptCall::call(const QString& function, const QJSValueList& arguments)
{
    Outcome outcome;
    const QJSValue callee = m_engine->globalObject().property(function);
    if (!callee.isCallable()) {
        outcome.kind = Outcome::Missing;
        return outcome;
    }
    QJSValue argumentArray = m_engine->newArray(quint32(arguments.size()));
    for (int i = 0; i < arguments.size(); ++i)
        argumentArray.setProperty(quint32(i), arguments.at(i));
    const QJSValue result
        = m_invoker.call({ callee, QJSValue(QStringLiteral("args")), argumentArray });
    if (m_watchdog->hasFired())
        return threw(result, -1, function + QStringLiteral("()"));
    if (result.isError())
        return threw(result, -1, function + QStringLiteral("()"));
    if (!result.property(QStringLiteral("ok")).toBool())
        return threw(result.property(QStringLiteral("error")), -1, function + QStringLiteral("()"));
    outcome.value = result.property(QStringLiteral("value"));
    return outcome;
}

QJSValue ScriptCall::globalObject() const
{
    return m_engine->globalObject();
}

ScriptCall::Outcome ScriptCall::threw(
    const QJSValue& exception, int stackLine, const QString& where) const
{
    Outcome outcome;
    outcome.kind = Outcome::Threw;
    outcome.value = exception;
    if (m_watchdog->hasFired()) {
        outcome.interrupted = true;
        outcome.errorText = stopReason();
        qCritical().noquote() << QStringLiteral("Script of service '%1' was stopped in %2: %3")
                                     .arg(m_serviceName, where, outcome.errorText);
        return outcome;
    }
    outcome.errorText = exception.toString();
    const QJSValue line = exception.property(QStringLiteral("lineNumber"));
    outcome.lineNumber = line.isNumber() ? line.toInt() : stackLine;
    return outcome;
}

QString ScriptCall::stopReason() const
{
    switch (m_watchdog->reason()) {
    case ScriptWatchdog::WallClock:
        return QStringLiteral("Script call took longer than %1 ms in all and was stopped")
            .arg(m_watchdog->wallClockLimitMs());
    case ScriptWatchdog::Cancelled:
        return QStringLiteral("Script call was cancelled");
    default:
        return QStringLiteral("Script ran longer than %1 ms and was stopped")
            .arg(m_watchdog->limitMs());
    }
}

void ScriptCall::cancel()
{
    m_watchdog->cancel();
}

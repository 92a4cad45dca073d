#include "DomSandbox.h"

#include "ScriptWatchdog.h"

#include <QJSEngine>
#include <QMutex>

namespace {

QMutex s_sandboxMutex;

bool failed(const QJSValue& result, const QStringList& stackTrace)
{
    return result.isError() || !stackTrace.isEmpty();
}

// Unwatches the engine when the run ends, whichever way.
class WatchedEngine
{
public:
    WatchedEngine(QJSEngine* engine, ScriptWatchdog* watchdog)
        : m_engine(engine)
        , m_watchdog(watchdog)
    {
        if (m_watchdog)
            m_watchdog->watch(m_engine);
    }
    ~WatchedEngine()
    {
        if (m_watchdog)
            m_watchdog->unwatch(m_engine);
    }
    WatchedEngine(const WatchedEngine&) = delete;
    WatchedEngine& operator=(const WatchedEngine&) = delete;

private:
    QJSEngine* m_engine;
    ScriptWatchdog* m_watchdog;
};

} // namespace

QString DomSandbox::shim()
{
    return QStringLiteral(
        "window = this;\n"
        "window.history = { length: 0 };\n"
        "window.location = { hash: \"\", host: \"\", hostname: \"\", href: \"\", origin: \"\","
        " pathname: \"\", port: \"\", protocol: \"\", search: \"\" };\n"
        "navigator = { appCodeName: \"\", appName: \"\", appVersion: \"\", cookieEnabled: false,"
        " language: \"\", onLine: true, platform: \"\", product: \"\", userAgent: \"\" };\n"
        "document = { createElement: function (tagName) { return { nodeName: tagName }; } };\n"
        "window.document = document;\n");
}

QString DomSandbox::run(const QString& scriptContent, const QString& method,
    const QStringList& arguments, ScriptWatchdog* watchdog)
{
    if (scriptContent.isEmpty() || method.isEmpty())
        return QString();
    std::unique_ptr<QMutexLocker<QMutex>> lock;
    {
        ScriptWatchdogPause waiting(watchdog);
        lock = std::make_unique<QMutexLocker<QMutex>>(&s_sandboxMutex);
    }
    QJSEngine engine;
    WatchedEngine watched(&engine, watchdog);
    QStringList stackTrace;
    if (failed(engine.evaluate(shim(), QStringLiteral("shim"), 1, &stackTrace), stackTrace))
        return QString();
    if (failed(
            engine.evaluate(scriptContent, QStringLiteral("page"), 1, &stackTrace), stackTrace)) {
        return QString();
    }
    const QJSValue function = engine.globalObject().property(method);
    if (!function.isCallable())
        return QString();
    QJSValueList argumentValues;
    for (const QString& argument : arguments)
        argumentValues.append(QJSValue(argument));
    // QJSValue::call catches the exception and gives it back, which is what we return.
    return function.callWithInstance(QJSValue(QJSValue::UndefinedValue), argumentValues).toString();
}

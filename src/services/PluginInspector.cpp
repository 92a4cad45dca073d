#include "PluginInspector.h"

#include "PluginProgram.h"
#include "ScriptWatchdog.h"
#include "ServicePluginFile.h"

#include <QJSEngine>

bool PluginInspector::inspect(
    const QString& pluginText, ServiceSettings* settings, QString* problem)
{
    QJSEngine engine;
    ScriptWatchdog watchdog(ScriptWatchdog::defaultLimitMs());
    watchdog.watch(&engine);
    QStringList stackTrace;
    const QJSValue result = engine.evaluate(
        PluginProgram::assemble(pluginText), PluginProgram::fileName(), 1, &stackTrace);
    watchdog.unwatch(&engine);
    if (result.isError() || !stackTrace.isEmpty()) {
        const QJSValue line = result.property(QStringLiteral("lineNumber"));
        *problem = QStringLiteral("%1 at line %2")
                       .arg(result.toString())
                       .arg(line.isNumber() ? line.toInt() : -1);
        return false;
    }
    if (!settings->read(engine.globalObject(), problem)) {
        *problem = QStringLiteral("__settings: ") + *problem;
        return false;
    }
    return true;
}

bool PluginInspector::inspectFile(const QString& path, ServiceSettings* settings, QString* problem)
{
    QString text;
    if (ServicePluginFile::read(path, &text, problem) != ServicePluginFile::Ok)
        return false;
    return inspect(text, settings, problem);
}

#pragma once

#include <QString>

// A service plugin's program as the script engine runs it: the fixed helper prelude, two line
// breaks, then the plugin's own text. Error line numbers count from the prelude's first line.
class PluginProgram
{
public:
    static QString prelude();
    static QString assemble(const QString& pluginText);
    // The name errors are reported under, so that line numbers point into the plugin file.
    static QString fileName();
};

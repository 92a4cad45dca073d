#include "PluginProgram.h"

#include "ServicePluginFile.h"

// "&amp;" is replaced last, so that an escaped entity ("&amp;lt;") stays the text "&lt;".
QString PluginProgram::prelude()
{
    return QStringLiteral(
        "function t_getRegExMatch(str, regEx, groupIndex) {"
        " var m = str.match(regEx);"
        " return (m && m.length > groupIndex) ? m[groupIndex] : \"\"; }\n"
        "function t_getNumericalPart(str) {"
        " var m = String(str).match(/(\\d+)/);"
        " return (m && m.length == 2) ? m[1] : \"\"; }\n"
        "function t_unescapeHtml(str) {"
        " return str.replace(/&lt;/g, \"<\").replace(/&gt;/g, \">\")"
        ".replace(/&quot;/g, \"\\\"\").replace(/&#039;/g, \"'\").replace(/&amp;/g, \"&\"); }");
}

QString PluginProgram::assemble(const QString& pluginText)
{
    return prelude() + QStringLiteral("\n\n") + pluginText;
}

QString PluginProgram::fileName()
{
    return QString::fromLatin1(ServicePluginFile::fileName());
}

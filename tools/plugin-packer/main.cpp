// Packs a service plugin's JavaScript source into the "service.plugin" format, after checking
// that the program runs and declares a usable "__settings" object. Also unpacks, to inspect an
// installed plugin.

#include "services/PluginInspector.h"
#include "services/ServicePluginFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "plugin-packer: %s\n", qPrintable(message));
    return 1;
}

int pack(const QString& sourcePath, const QString& outputPath)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(sourcePath, source.errorString()));
    const QString text = QString::fromUtf8(source.readAll());
    QString problem;
    ServiceSettings settings;
    if (!PluginInspector::inspect(text, &settings, &problem))
        return fail(QStringLiteral("%1: %2").arg(sourcePath, problem));
    QDir().mkpath(QFileInfo(outputPath).absolutePath());
    if (!ServicePluginFile::write(outputPath, text, &problem))
        return fail(QStringLiteral("cannot write %1: %2").arg(outputPath, problem));
    return 0;
}

int unpack(const QString& pluginPath)
{
    QString text;
    QString problem;
    if (ServicePluginFile::read(pluginPath, &text, &problem) != ServicePluginFile::Ok)
        return fail(QStringLiteral("%1: %2").arg(pluginPath, problem));
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Packs a service plugin source into a service.plugin file."));
    parser.addHelpOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("unpack"), QStringLiteral("Print the program held by a plugin file.")));
    parser.addPositionalArgument(QStringLiteral("source"),
        QStringLiteral("The plugin's JavaScript (or, with --unpack, "
                       "the plugin file)."));
    parser.addPositionalArgument(
        QStringLiteral("output"), QStringLiteral("The service.plugin file to write."));
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("unpack")) && args.size() == 1)
        return unpack(args.first());
    if (args.size() != 2) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    return pack(args.at(0), args.at(1));
}

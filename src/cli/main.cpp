#include "CliUserInterface.h"
#include "CommandRegistry.h"

#include "app/AppIdentity.h"
#include "core/AppContext.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

void printOverview(const std::vector<std::unique_ptr<CliCommand>>& commands, FILE* stream)
{
    QString text = QStringLiteral("Usage: kestrofan-cli COMMAND [options]\n\n"
                                  "The command-line face of Kestrofan 2.\n\nCommands:\n");
    for (const auto& command : commands)
        text += QStringLiteral("  %1%2\n").arg(command->name(), -12).arg(command->summary());
    text += QStringLiteral("\nRun \"kestrofan-cli COMMAND --help\" for a command's options.\n");
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();

    const auto commands = allCommands();
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.at(1) == QLatin1String("--help")
        || arguments.at(1) == QLatin1String("-h")) {
        printOverview(commands, arguments.size() < 2 ? stderr : stdout);
        return arguments.size() < 2 ? CliCommand::UsageError : CliCommand::Success;
    }
    if (arguments.at(1) == QLatin1String("--version")) {
        std::printf("kestrofan-cli %s (build %s)\n", qPrintable(AppIdentity::version()),
            qPrintable(AppIdentity::build()));
        return CliCommand::Success;
    }

    const QString name = arguments.takeAt(1);
    CliCommand* command = nullptr;
    for (const auto& candidate : commands) {
        if (candidate->name() == name)
            command = candidate.get();
    }
    if (!command) {
        std::fprintf(stderr, "kestrofan-cli: unknown command \"%s\"\n\n", qPrintable(name));
        printOverview(commands, stderr);
        return CliCommand::UsageError;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(command->summary());
    parser.addHelpOption();
    parser.addOption(
        QCommandLineOption(QStringLiteral("json"), QStringLiteral("Print the result as JSON.")));
    command->configure(parser);
    arguments[0] = QStringLiteral("kestrofan-cli ") + name;
    if (!parser.parse(arguments)) {
        std::fprintf(
            stderr, "kestrofan-cli %s: %s\n", qPrintable(name), qPrintable(parser.errorText()));
        return CliCommand::UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // The parser names the program by its path; name the command instead.
        QString help = parser.helpText();
        const qsizetype usageEnd = help.indexOf(QLatin1String(" [options]"));
        if (help.startsWith(QLatin1String("Usage: ")) && usageEnd > 0)
            help.replace(7, usageEnd - 7, arguments.at(0));
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return CliCommand::Success;
    }

    CliUserInterface ui;
    std::unique_ptr<AppContext> context;
    if (command->needsContext()) {
        context = std::make_unique<AppContext>(&ui);
        // Unlike the GUI, a script must see that the tool could not start.
        if (AppContext::isDying())
            return CliCommand::Failed;
    }
    const CliOutput out(parser.isSet(QStringLiteral("json")));
    return command->run(parser, out);
}

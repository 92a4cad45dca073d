#include "CommandRegistry.h"

#include "ConfigCommand.h"
#include "SetupCommand.h"

std::vector<std::unique_ptr<CliCommand>> allCommands()
{
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<SetupCommand>());
    commands.push_back(std::make_unique<ConfigCommand>());
    return commands;
}

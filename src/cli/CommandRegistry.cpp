#include "CommandRegistry.h"

#include "CleanCommand.h"
#include "ConfigCommand.h"
#include "DownloadCommand.h"
#include "DownloadFeedCommand.h"
#include "DownloadsCommand.h"
#include "ExtractCommand.h"
#include "FeedCommand.h"
#include "FetchCommand.h"
#include "MediaCommand.h"
#include "RemoveCommand.h"
#include "ResolveCommand.h"
#include "ResumeCommand.h"
#include "SearchCommand.h"
#include "ServicesCommand.h"
#include "SetupCommand.h"
#include "UpdateCommand.h"
#include "UserCommand.h"

std::vector<std::unique_ptr<CliCommand>> allCommands()
{
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<SetupCommand>());
    commands.push_back(std::make_unique<ConfigCommand>());
    commands.push_back(std::make_unique<UpdateCommand>());
    commands.push_back(std::make_unique<ExtractCommand>());
    commands.push_back(std::make_unique<ServicesCommand>());
    commands.push_back(std::make_unique<ResolveCommand>());
    commands.push_back(std::make_unique<MediaCommand>());
    commands.push_back(std::make_unique<UserCommand>());
    commands.push_back(std::make_unique<FeedCommand>());
    commands.push_back(std::make_unique<SearchCommand>());
    commands.push_back(std::make_unique<FetchCommand>());
    commands.push_back(std::make_unique<DownloadCommand>());
    commands.push_back(std::make_unique<DownloadFeedCommand>());
    commands.push_back(std::make_unique<DownloadsCommand>());
    commands.push_back(std::make_unique<ResumeCommand>());
    commands.push_back(std::make_unique<RemoveCommand>());
    commands.push_back(std::make_unique<CleanCommand>());
    return commands;
}

#pragma once

#include "CliCommand.h"

#include <memory>
#include <vector>

// Every command of kestrofan-cli, in the order "--help" lists them.
std::vector<std::unique_ptr<CliCommand>> allCommands();

#pragma once

#include "app/UserInterface.h"

// The core's messages to the user, written to the terminal.
class CliUserInterface : public UserInterface
{
public:
    void showFatalError(const QString& text) override;
    void showError(const QString& text) override;
};

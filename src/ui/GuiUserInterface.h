#pragma once

#include "app/UserInterface.h"

// The core's messages to the user, shown as message boxes.
class GuiUserInterface : public UserInterface
{
public:
    void showFatalError(const QString& text) override;
    void showError(const QString& text) override;
    bool askForServiceLogin(const QString& serviceName, QString* userName, QString* password,
        bool* saveForLater) override;
};

#pragma once

#include <QString>

class PageDescriber;
class QSettings;
class UserInterface;

// What the services of one registry get from the rest of the program.
struct ServiceEnvironment
{
    // One folder per plugin, named by its service key.
    QString pluginsDirectory;
    // Where saved service logins live; used on the thread that owns it.
    QSettings* settings = nullptr;
    // Asks the person for a service login.
    UserInterface* userInterface = nullptr;
    // Describes pages for the generic service; none makes those reads fail.
    const PageDescriber* pageDescriber = nullptr;
};

#pragma once

#include <QString>

class UserInterface;

// The program's one fatal path: tell the person, log, and ask the event loop to quit. It is
// process-wide because a fatal condition (a missing database, a broken plugin) can be found
// by any thread; the composition root installs the front end that tells the person.
namespace FatalStop {

// Called on a worker thread, the telling happens on the user interface thread soon after.
// Only the first call of a run tells; later ones are consequences.
void die(const QString& message);
bool isDying();

// The front end that shows the message; null shows nothing. Clears the dying flag, so
// that a new start-up in the same process (tests) begins afresh.
void install(UserInterface* ui);

} // namespace FatalStop

#pragma once

// The whole life of the GUI process, from the application object to the end of the event
// loop; the exit code is the process's. Kept apart from main() so that tests can run the
// real start-up in-process.
int runGui(int& argc, char** argv);

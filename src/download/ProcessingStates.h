#pragma once

#include <QCoreApplication>
#include <QString>

// The state of a download job, stored as an integer in the download record: never renumber.
namespace ProcessingStates {

enum States : int {
    Error = -1,
    None = 0,
    Waiting = 1,
    Connecting = 2,
    Downloading = 3,
    Resuming = 4,
    Converting = 5,
    Finished = 6,
    Cancelled = 7,
    Buffering = 8,
    Playing = 9,
    Paused = 10,
};

// The translated text the views show; "Unknown state" for values outside the enum.
QString displayName(int state);
// A job in this state still has work to do and belongs in the queue.
bool isUnfinished(int state);

} // namespace ProcessingStates

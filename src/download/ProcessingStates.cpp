#include "ProcessingStates.h"

QString ProcessingStates::displayName(int state)
{
    switch (state) {
    case Error:
        return QCoreApplication::translate("ProcessingStates", "Error");
    case None:
        return QString();
    case Waiting:
        return QCoreApplication::translate("ProcessingStates", "Waiting");
    case Connecting:
        return QCoreApplication::translate("ProcessingStates", "Connecting");
    case Downloading:
        return QCoreApplication::translate("ProcessingStates", "Downloading");
    case Resuming:
        return QCoreApplication::translate("ProcessingStates", "Resuming");
    case Converting:
        return QCoreApplication::translate("ProcessingStates", "Converting");
    case Finished:
        return QCoreApplication::translate("ProcessingStates", "Finished");
    case Cancelled:
        return QCoreApplication::translate("ProcessingStates", "Cancelled");
    case Buffering:
        return QCoreApplication::translate("ProcessingStates", "Buffering...");
    case Playing:
        return QCoreApplication::translate("ProcessingStates", "Playing");
    case Paused:
        return QCoreApplication::translate("ProcessingStates", "Paused");
    default:
        return QCoreApplication::translate("ProcessingStates", "Unknown state");
    }
}

bool ProcessingStates::isUnfinished(int state)
{
    switch (state) {
    case Waiting:
    case Connecting:
    case Downloading:
    case Resuming:
    case Converting:
    case Paused:
        return true;
    default:
        return false;
    }
}

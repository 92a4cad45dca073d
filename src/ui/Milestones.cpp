#include "Milestones.h"

#include <QElapsedTimer>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(milestoneLog, "kestrofan.startup", QtWarningMsg)

} // namespace

namespace Milestones {

bool enabled()
{
    return milestoneLog().isInfoEnabled();
}

void log(const char* milestone)
{
    QElapsedTimer clock;
    clock.start();
    qCInfo(milestoneLog, "%s at %lld ms", milestone, clock.msecsSinceReference());
}

} // namespace Milestones

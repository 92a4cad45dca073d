#pragma once

// Moments worth timing from outside (the window shown, a page's pictures in place, the
// downloads view painted), logged on the monotonic clock as "<milestone> at <n> ms" when
// QT_LOGGING_RULES="kestrofan.startup.info=true". The benchmarks under bench/ read them.
namespace Milestones {

bool enabled();
void log(const char* milestone);

} // namespace Milestones

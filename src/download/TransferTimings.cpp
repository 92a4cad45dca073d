#include "TransferTimings.h"

#include <atomic>

namespace {

constexpr int kWatchdogMs = 60000;
constexpr int kThrottleIntervalMs = 200;
constexpr int kRetryDelayMs = 0;

std::atomic<int> s_watchdogMs { kWatchdogMs };
std::atomic<int> s_throttleIntervalMs { kThrottleIntervalMs };
std::atomic<int> s_retryDelayMs { kRetryDelayMs };

} // namespace

int TransferTimings::watchdogMs()
{
    return s_watchdogMs;
}
void TransferTimings::setWatchdogMs(int ms)
{
    s_watchdogMs = ms;
}
int TransferTimings::throttleIntervalMs()
{
    return s_throttleIntervalMs;
}
void TransferTimings::setThrottleIntervalMs(int ms)
{
    s_throttleIntervalMs = ms;
}
int TransferTimings::retryDelayMs()
{
    return s_retryDelayMs;
}
void TransferTimings::setRetryDelayMs(int ms)
{
    s_retryDelayMs = ms;
}

void TransferTimings::reset()
{
    s_watchdogMs = kWatchdogMs;
    s_throttleIntervalMs = kThrottleIntervalMs;
    s_retryDelayMs = kRetryDelayMs;
}

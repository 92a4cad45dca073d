#include "TransferTimings.h"

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>

namespace {

constexpr int kWatchdogMs = 60000;
constexpr int kProbeTimeoutMs = 30000;
constexpr int kThrottleIntervalMs = 200;
constexpr int kRetryDelayMs = 1000;
constexpr int kLongestRetryFactor = 30;

std::atomic<int> s_watchdogMs { kWatchdogMs };
std::atomic<int> s_probeTimeoutMs { kProbeTimeoutMs };
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
int TransferTimings::probeTimeoutMs()
{
    return s_probeTimeoutMs;
}
void TransferTimings::setProbeTimeoutMs(int ms)
{
    s_probeTimeoutMs = ms;
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

int TransferTimings::retryDelayMs(int failedAttempts)
{
    const qint64 base = s_retryDelayMs;
    if (base <= 0)
        return 0;
    const int doublings = std::clamp(failedAttempts - 1, 0, 5);
    const qint64 delay = std::min(base << doublings, base * kLongestRetryFactor);
    // Within 80 % and 120 % of the delay.
    const double jitter = 0.8 + 0.4 * QRandomGenerator::global()->generateDouble();
    return int(double(delay) * jitter);
}

void TransferTimings::reset()
{
    s_watchdogMs = kWatchdogMs;
    s_probeTimeoutMs = kProbeTimeoutMs;
    s_throttleIntervalMs = kThrottleIntervalMs;
    s_retryDelayMs = kRetryDelayMs;
}

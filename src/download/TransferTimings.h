#pragma once

// Time limits of the transfer engine, process-wide. The defaults are the product's; tests
// shorten them so that stalls and retries take milliseconds instead of minutes.
class TransferTimings
{
public:
    TransferTimings() = delete;

    // A part that receives nothing for this long is restarted.
    static int watchdogMs();
    static void setWatchdogMs(int ms);

    // With the bandwidth limit on, a part takes its data in at most once per interval.
    static int throttleIntervalMs();
    static void setThrottleIntervalMs(int ms);

    // Pause before a failed or stalled part connects again.
    static int retryDelayMs();
    static void setRetryDelayMs(int ms);

    // Back to the product's values.
    static void reset();
};

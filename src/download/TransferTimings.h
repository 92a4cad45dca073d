#pragma once

// Time limits of the transfer engine, process-wide. The defaults are the product's; tests
// shorten them so that stalls and retries take milliseconds instead of minutes.
class TransferTimings
{
public:
    TransferTimings() = delete;

    // A part that receives less than stallBytes() in this long is restarted.
    static int watchdogMs();
    static void setWatchdogMs(int ms);
    // A trickle below this many bytes per watchdog interval counts as a stall.
    static constexpr int stallBytes() { return 1024; }

    // A probe (HEAD or GET for the length) that gets no answer in this long is sent again.
    static int probeTimeoutMs();
    static void setProbeTimeoutMs(int ms);

    // With the bandwidth limit on, a part takes its data in at most once per interval.
    static int throttleIntervalMs();
    static void setThrottleIntervalMs(int ms);

    // The pause before the first retry; each further retry in a row waits twice as long (up
    // to 30 times the first pause), give or take a fifth so that parts do not retry in step.
    static int retryDelayMs();
    static void setRetryDelayMs(int ms);
    // The pause before the retry that follows this many failed attempts in a row (from 1).
    static int retryDelayMs(int failedAttempts);

    // Back to the product's values.
    static void reset();
};

#pragma once

#include <QString>

// Describes a web page that no service plugin reads, as the JSON record the generic service's
// script turns into a media item. The download area answers through the download helper; the
// registry hands it to the readers. Called on worker threads, so implementations must be
// safe to call from several at once.
class PageDescriber
{
public:
    virtual ~PageDescriber() = default;

    // The JSON text; on failure whatever was printed (possibly nothing) with the reason in
    // "error".
    virtual QString describe(const QString& address, QString* error) const = 0;
};

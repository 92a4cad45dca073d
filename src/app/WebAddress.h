#pragma once

class QUrl;

// Addresses that come from plugins, servers or yt-dlp and are fetched or handed to a helper:
// only http(s) with a host may pass. Anything else could name local files, reach other
// protocols, or be read by a helper as one of its options.
namespace WebAddress {

bool isValid(const QUrl& url);

} // namespace WebAddress

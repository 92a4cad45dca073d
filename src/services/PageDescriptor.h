#pragma once

#include <QString>

// What an address or search text opens, as the service registry and the service's script
// classified it. The user interface builds its page objects from it.
struct PageDescriptor
{
    enum Kind { Empty = 0, User = 1, Media = 2, Playlist = 3, Search = 4 };

    Kind kind = Empty;
    // Empty for empty pages and for searches of plain words over all services.
    QString serviceName;
    // The text the page was made for (trimmed).
    QString query;
    // What the script found in the address; only the ones that decided the kind are set, and
    // for media pages the playlist the address names.
    QString userId;
    QString mediaId;
    QString playlistId;
    // The words a search page searches for.
    QString searchQuery;
    // Plain search words: every service selected for search is searched.
    bool allServices = false;

    static QString kindName(Kind kind);
};

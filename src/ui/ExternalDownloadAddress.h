#pragma once

#include "app/MediaDescriptor.h"

#include <QString>

#include <optional>

// A "kestrofan:" address handed to us by the desktop (a link on a web page, the command line):
// a media page address with "#audio" or "#video" at its end, the "#" possibly encoded once or
// twice by the browser.
struct ExternalDownloadAddress
{
    QString mediaAddress;
    MediaDescriptor::MediaType mediaType = MediaDescriptor::Video;

    // None for anything else; a "file:" prefix some desktops put in front is tolerated.
    static std::optional<ExternalDownloadAddress> parse(const QString& text);
};

#pragma once

#include <QString>

// Names that come from plugins, servers or folders on disk and end up in paths or settings
// groups: only a plain file name may pass, never one that could reach another folder.
namespace PlainName {

// Not empty, not "." or "..", no path separators or control characters, at most 255 bytes.
bool isValid(const QString& name);

} // namespace PlainName

#pragma once

#include <QString>

// The one rule for turning a text from elsewhere (a title, the last segment of an address)
// into a file name that Linux accepts and a person can read.
namespace FileNames {

// The most bytes of UTF-8 a file name may have.
constexpr int kMaxBytes = 255;

// Removes what never belongs in a file name: control characters, bidirectional overrides and
// marks, zero-width and other invisible format characters, line and paragraph separators,
// path separators, and leading dots and blanks (no hidden files).
QString cleaned(const QString& text);

// A title made fit to be a file name: cleaned() as above, line breaks and tabs as blanks, no
// web prefixes, none of the characters that other systems reserve, folded runs of blanks. No
// length bound: fitted() applies it once the extension is known.
QString sanitizedTitleFileName(const QString& title);

// stem + suffix + "." + extension (no dot without an extension) in at most maxBytes of UTF-8.
// A name that is too long loses the end of its stem, at a character boundary, so that the
// suffix (such as a " (2)" numbering) and the extension always survive.
QString fitted(const QString& stem, const QString& suffix = QString(),
    const QString& extension = QString(), int maxBytes = kMaxBytes);

} // namespace FileNames

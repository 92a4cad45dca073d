#pragma once

#include <QString>

// File names made from text that users, plugins or servers wrote.
namespace FileNames {

// What one name may take on Linux file systems, in bytes of UTF-8.
constexpr int maximumBytes = 255;

// A title made fit to be a file name: no web prefixes, none of the characters that other
// systems reserve, no control, bidirectional-override or zero-width characters, and folded
// runs of blanks. The result has no length bound: fittedFileName() applies it with the
// extension known.
QString sanitizedTitleFileName(const QString& title);

// stem + tail, the stem cut at a character boundary so that the whole stays within
// maximumBytes. The tail (counter and extension) is never cut.
QString fittedFileName(const QString& stem, const QString& tail);

} // namespace FileNames

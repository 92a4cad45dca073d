#pragma once

#include "app/MediaDescriptor.h"

#include <QString>
#include <QUrl>

// The texts of one row of the downloads page, made from plain values so that they can be
// checked without a job.
namespace DownloadRowTexts {

// The longest title a row shows.
constexpr int maximumTitleLength = 245;

QString title(const QString& title);
// "Download Type: Video | Source: example.com".
QString typeAndSource(MediaDescriptor::MediaType type, const QUrl& pageAddress);
// "Calculating..." while unknown (negative), then minutes or hours and minutes.
QString remaining(int seconds);
// "Remaining time: " and the remaining text.
QString remainingLine(int seconds);
// "%1 MB of %2 MB" with two decimals; "0" as the done part while nothing arrived.
QString progress(qint64 doneBytes, qint64 totalBytes);
// "850 KB/s", "2.4 MB/s"; empty while nothing is measured.
QString speed(double bytesPerSecond);
// The state as the row names it: the job's own state name, "Paused" for a held job that still
// has work, and the error's text after "Error: ".
QString state(int state, bool held, const QString& errorText);
// What assistive technology reads for the row: "Song — Downloading 42%".
QString spoken(const QString& title, const QString& stateText, int percent);

} // namespace DownloadRowTexts

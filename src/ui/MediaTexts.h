#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The texts every view makes from media records: how old an item is, when something happened,
// how long it lasts, and descriptions with their links made clickable.
namespace MediaTexts {

// "Today", "3 days ago", "2 weeks ago", ...; the text unchanged when it is no ISO 8601 date.
QString relativeDate(const QString& isoDate, const QDate& today = QDate::currentDate());
// "Today at 09:30", "Yesterday at 23:10", "4/7, 12:00" this year, "4/7 2024 12:00" before.
QString dateTime(const QDateTime& when, const QDateTime& now = QDateTime::currentDateTime());
// "--:--" for a negative length, "mm:ss" under an hour, "hh:mm:ss" from an hour on (the hours
// wrap at a day).
QString duration(int seconds);
// Every line break as "<br>".
QString lineBreaks(const QString& text);
// Plain text with its web addresses turned into links; text that has markup stays as it is.
QString links(const QString& text);
// The description of a record as rich text: its links, then its line breaks.
QString richDescription(const QString& text);
// The text, or its first (maximum - 3) characters and "..." when it is longer.
QString elide(const QString& text, int maximum);

} // namespace MediaTexts

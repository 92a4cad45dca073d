#pragma once

#include <QJSValue>
#include <QString>

// The conversions from the properties of script objects to record fields. An absent property
// (undefined or null) reads as empty text, 0 or false.
namespace ScriptValues {

bool isAbsent(const QJSValue& value);
QString text(const QJSValue& object, const QString& name);
// The script's number conversion, truncated toward zero and kept inside int's range (a
// view count above 2^31 stays large instead of wrapping to a negative number).
int integer(const QJSValue& object, const QString& name);
bool boolean(const QJSValue& object, const QString& name);
// The property as text, then as a number (so "4.5" reads as 4.5); 0 when it is not a number.
float decimal(const QJSValue& object, const QString& name);
// An ISO 8601 date or date-time becomes its date as "yyyy-MM-dd"; other text is kept.
QString isoDate(const QString& text);

} // namespace ScriptValues

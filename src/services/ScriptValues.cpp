#include "ScriptValues.h"

#include <QDateTime>

#include <cmath>
#include <limits>

bool ScriptValues::isAbsent(const QJSValue& value)
{
    return value.isUndefined() || value.isNull();
}

QString ScriptValues::text(const QJSValue& object, const QString& name)
{
    const QJSValue value = object.property(name);
    return isAbsent(value) ? QString() : value.toString();
}

int ScriptValues::integer(const QJSValue& object, const QString& name)
{
    const QJSValue value = object.property(name);
    if (isAbsent(value))
        return 0;
    const double number = std::trunc(value.toNumber());
    if (std::isnan(number))
        return 0;
    if (number >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (number <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(number);
}

bool ScriptValues::boolean(const QJSValue& object, const QString& name)
{
    const QJSValue value = object.property(name);
    return !isAbsent(value) && value.toBool();
}

float ScriptValues::decimal(const QJSValue& object, const QString& name)
{
    return text(object, name).toFloat();
}

QString ScriptValues::isoDate(const QString& text)
{
    const QDateTime dateTime = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (dateTime.isValid())
        return dateTime.date().toString(QStringLiteral("yyyy-MM-dd"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : text;
}

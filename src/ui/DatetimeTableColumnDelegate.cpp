#include "DatetimeTableColumnDelegate.h"

#include "MediaTexts.h"

QString DatetimeTableColumnDelegate::displayText(const QVariant& value, const QLocale&) const
{
    const QString text = value.toString();
    const QDateTime dateTime = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (!dateTime.isValid())
        return text;
    return format(dateTime, QDateTime::currentDateTime());
}

QString DatetimeTableColumnDelegate::format(const QDateTime& dateTime, const QDateTime& now)
{
    return MediaTexts::dateTime(dateTime, now);
}

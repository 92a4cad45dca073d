#include "DatetimeTableColumnDelegate.h"

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
    const QString time = dateTime.time().toString(QStringLiteral("hh:mm"));
    const qint64 days = dateTime.date().daysTo(now.date());
    if (days == 0)
        return tr("Today at") + QLatin1Char(' ') + time;
    if (days == 1)
        return tr("Yesterday at") + QLatin1Char(' ') + time;
    if (dateTime.date().year() == now.date().year())
        return dateTime.toString(QStringLiteral("d/M, hh:mm"));
    return dateTime.toString(QStringLiteral("d/M yyyy hh:mm"));
}

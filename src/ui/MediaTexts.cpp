#include "MediaTexts.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MediaTexts", text);
}

} // namespace

namespace MediaTexts {

QString relativeDate(const QString& isoDate, const QDate& today)
{
    const QDateTime when = QDateTime::fromString(isoDate, Qt::ISODate);
    if (!when.isValid())
        return isoDate;
    const qint64 days = when.date().daysTo(today);
    if (days == 0)
        return tr("Today");
    if (days < 7)
        return days == 1 ? tr("%1 day ago").arg(1) : tr("%1 days ago").arg(days);
    if (days <= 30)
        return days <= 13 ? tr("%1 week ago").arg(1) : tr("%1 weeks ago").arg(days / 7);
    if (days <= 364)
        return days <= 59 ? tr("%1 month ago").arg(1) : tr("%1 months ago").arg(days / 30);
    return days <= 729 ? tr("%1 year ago").arg(1) : tr("%1 years ago").arg(days / 365);
}

QString dateTime(const QDateTime& when, const QDateTime& now)
{
    const qint64 days = when.date().daysTo(now.date());
    const QString time = when.toString(QStringLiteral("hh:mm"));
    if (days == 0)
        return tr("Today at") + QLatin1Char(' ') + time;
    if (days == 1)
        return tr("Yesterday at") + QLatin1Char(' ') + time;
    if (when.date().year() == now.date().year())
        return when.toString(QStringLiteral("d/M, hh:mm"));
    return when.toString(QStringLiteral("d/M yyyy hh:mm"));
}

QString duration(int seconds)
{
    if (seconds < 0)
        return QStringLiteral("--:--");
    const int hours = (seconds / 3600) % 24;
    const int minutes = (seconds / 60) % 60;
    const auto two
        = [](int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    if (hours == 0)
        return two(minutes) + QLatin1Char(':') + two(seconds % 60);
    return two(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(seconds % 60);
}

QString lineBreaks(const QString& text)
{
    return QString(text).replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

QString links(const QString& text)
{
    if (text.contains(QLatin1Char('<')))
        return text;
    static const QRegularExpression address(QStringLiteral("((http|https)://\\S+)"));
    return QString(text).replace(address, QStringLiteral("<a href=\"\\1\">\\1</a>"));
}

QString richDescription(const QString& text)
{
    return lineBreaks(links(text));
}

QString elide(const QString& text, int maximum)
{
    if (text.size() <= maximum)
        return text;
    return text.left(std::max(0, maximum - 3)) + QStringLiteral("...");
}

} // namespace MediaTexts

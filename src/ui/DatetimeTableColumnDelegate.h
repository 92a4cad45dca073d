#pragma once

#include <QDateTime>
#include <QStyledItemDelegate>

// Shows stored "yyyy-MM-dd hh:mm:ss" texts the way people read dates: "Today at 14:05".
class DatetimeTableColumnDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override;

    // "Today at hh:mm", "Yesterday at hh:mm", "d/M, hh:mm" this year, else "d/M yyyy hh:mm".
    static QString format(const QDateTime& dateTime, const QDateTime& now);
};

#pragma once

#include <QStyledItemDelegate>

// Draws the sidebar's items: the header in small grey capitals, the pages with their icons,
// and for the downloads page the queue counter ("in queue:finished") as a badge at the right.
class NavMenuItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // Where an item keeps its counter text.
    static constexpr int CounterRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The badge text, or empty when there is nothing to count.
    static QString badgeText(const QString& counter);
};

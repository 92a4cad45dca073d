#include "NavMenuItemDelegate.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

const QColor selectedBackground(0x2f, 0x7f, 0xd8);
const QColor headerText(0x80, 0x80, 0x80);
const QColor badgeBackground(0x8a, 0x96, 0xa3);

} // namespace

QString NavMenuItemDelegate::badgeText(const QString& counter)
{
    // "0:0" says nothing; the first number alone is what is still to come.
    return counter.isEmpty() || counter == QStringLiteral("0:0") ? QString() : counter;
}

QSize NavMenuItemDelegate::sizeHint(
    const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(24);
    return size;
}

void NavMenuItemDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const bool isHeader = !index.parent().isValid();
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, selectedBackground);

    QRect textRect = option.rect.adjusted(isHeader ? 8 : 4, 0, -4, 0);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        const QRect iconRect(textRect.left(), option.rect.center().y() - 8, 16, 16);
        icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
        textRect.setLeft(iconRect.right() + 8);
    }

    QFont font = option.font;
    if (isHeader) {
        font.setBold(true);
        font.setPixelSize(10);
        painter->setPen(headerText);
    } else {
        painter->setPen(selected ? Qt::white : option.palette.color(QPalette::Text));
    }
    painter->setFont(font);

    const QString badge = badgeText(index.data(CounterRole).toString());
    if (!badge.isEmpty()) {
        QFont small = font;
        small.setPixelSize(10);
        small.setBold(true);
        const int width = QFontMetrics(small).horizontalAdvance(badge) + 10;
        const QRect badgeRect(textRect.right() - width, option.rect.center().y() - 8, width, 16);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(selected ? QColor(Qt::white) : badgeBackground);
        painter->drawRoundedRect(badgeRect, 8, 8);
        painter->setFont(small);
        painter->setPen(selected ? selectedBackground : QColor(Qt::white));
        painter->drawText(badgeRect, Qt::AlignCenter, badge);
        painter->setFont(font);
        painter->setPen(selected ? Qt::white : option.palette.color(QPalette::Text));
        textRect.setRight(badgeRect.left() - 4);
    }
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
        option.fontMetrics.elidedText(
            index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textRect.width()));
    painter->restore();
}

#include "DownloadItemDelegate.h"

#include "DownloadJobsModel.h"

#include "download/ProcessingStates.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int rowHeight = 72;
constexpr int margin = 6;
constexpr int barHeight = 12;

// Top and bottom colours of the filled part of the bar, by look.
struct BarColours
{
    QColor top, bottom;
};

BarColours coloursFor(DownloadItemDelegate::BarLook look)
{
    using Look = DownloadItemDelegate::BarLook;
    switch (look) {
    case Look::Downloading:
        return { QColor(0x8E, 0xBD, 0xF2), QColor(0x3A, 0x7B, 0xD5) };
    case Look::Converting:
        return { QColor(0xF7, 0xCE, 0x84), QColor(0xE0, 0x98, 0x2E) };
    case Look::Finished:
        return { QColor(0x9B, 0xD8, 0x8C), QColor(0x4F, 0xA8, 0x3D) };
    case Look::Error:
        return { QColor(0xF2, 0x93, 0x8F), QColor(0xC9, 0x30, 0x2C) };
    case Look::Paused:
        return { QColor(0xD6, 0xD6, 0xD6), QColor(0x9E, 0x9E, 0x9E) };
    case Look::Plain:
    case Look::Hidden:
        break;
    }
    return { QColor(0xC8, 0xC8, 0xC8), QColor(0xA8, 0xA8, 0xA8) };
}

QFont sizedFont(QFont font, int pixels, bool bold = false)
{
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

DownloadItemDelegate::BarLook DownloadItemDelegate::barLook(int state, bool held)
{
    const bool pausable = state == ProcessingStates::Waiting
        || state == ProcessingStates::Downloading || state == ProcessingStates::Connecting
        || state == ProcessingStates::Resuming;
    if (held && pausable)
        return BarLook::Paused;
    switch (state) {
    case ProcessingStates::Connecting:
        return BarLook::Plain;
    case ProcessingStates::Downloading:
        return BarLook::Downloading;
    case ProcessingStates::Converting:
        return BarLook::Converting;
    case ProcessingStates::Finished:
        return BarLook::Finished;
    case ProcessingStates::Error:
        return BarLook::Error;
    default:
        return BarLook::Hidden;
    }
}

int DownloadItemDelegate::barValue(int state, int percent)
{
    switch (state) {
    case ProcessingStates::Converting:
    case ProcessingStates::Finished:
    case ProcessingStates::Error:
        return 100;
    case ProcessingStates::Connecting:
        return 0;
    default:
        return qBound(0, percent, 100);
    }
}

QSize DownloadItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return { qMax(option.rect.width(), 200), rowHeight };
}

void DownloadItemDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(row, option.palette.color(QPalette::Highlight));
    const QColor textColour = selected ? QColor(Qt::black) : QColor(80, 80, 80);

    const QSize thumbSize = DownloadJobsModel::thumbnailSize();
    const QRect thumbFrame(row.left() + margin, row.top() + (row.height() - thumbSize.height()) / 2,
        thumbSize.width(), thumbSize.height());
    const QPixmap thumbnail = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!thumbnail.isNull()) {
        QRect picture(QPoint(), thumbnail.deviceIndependentSize().toSize());
        picture.moveCenter(thumbFrame.center());
        painter->drawPixmap(picture, thumbnail);
    }
    painter->setPen(QColor(0x99, 0x99, 0x99));
    painter->drawRect(thumbFrame.adjusted(0, 0, -1, -1));

    const int left = thumbFrame.right() + 1 + 2 * margin;
    const int width = qMax(0, row.right() - margin - left);
    int top = row.top() + margin;
    painter->setPen(textColour);
    const QFont titleFont = sizedFont(option.font, 12, true);
    painter->setFont(titleFont);
    const QFontMetrics titleMetrics(titleFont);
    painter->drawText(QRect(left, top, width, titleMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        titleMetrics.elidedText(
            index.data(DownloadJobsModel::TitleRole).toString(), Qt::ElideRight, width));
    top += titleMetrics.height() + 2;

    const QFont smallFont = sizedFont(option.font, 11);
    const QFontMetrics smallMetrics(smallFont);
    painter->setFont(smallFont);
    painter->drawText(QRect(left, top, width, smallMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        smallMetrics.elidedText(
            index.data(DownloadJobsModel::TypeAndSourceRole).toString(), Qt::ElideRight, width));
    top += smallMetrics.height() + 3;

    const int state = index.data(DownloadJobsModel::StateRole).toInt();
    const BarLook look = barLook(state, index.data(DownloadJobsModel::HeldRole).toBool());
    if (look != BarLook::Hidden)
        paintBar(painter, QRect(left, top, width, barHeight), look,
            barValue(state, index.data(DownloadJobsModel::PercentRole).toInt()));
    top += barHeight + 2;

    // The state or remaining time on the left, size and speed on the right.
    QString transfer = index.data(DownloadJobsModel::ProgressTextRole).toString();
    const QString speed = index.data(DownloadJobsModel::SpeedTextRole).toString();
    if (!speed.isEmpty())
        transfer += QStringLiteral("  ·  ") + speed;
    const QRect lastLine(left, top, width, smallMetrics.height());
    painter->setPen(textColour);
    const int transferWidth = smallMetrics.horizontalAdvance(transfer);
    painter->drawText(lastLine, Qt::AlignRight | Qt::AlignVCenter, transfer);
    painter->drawText(lastLine.adjusted(0, 0, -transferWidth - margin, 0),
        Qt::AlignLeft | Qt::AlignVCenter,
        smallMetrics.elidedText(index.data(DownloadJobsModel::RemainingTextRole).toString(),
            Qt::ElideRight, qMax(0, width - transferWidth - margin)));
    painter->restore();
}

void DownloadItemDelegate::paintBar(QPainter* painter, const QRect& rect, BarLook look, int value)
{
    QLinearGradient trough(rect.topLeft(), rect.bottomLeft());
    trough.setColorAt(0, QColor(0xF4, 0xF4, 0xF4));
    trough.setColorAt(1, QColor(0xDC, 0xDC, 0xDC));
    painter->setPen(QColor(0xB6, 0xB6, 0xB6));
    painter->setBrush(trough);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    const int filled = (rect.width() - 2) * qBound(0, value, 100) / 100;
    if (filled <= 0)
        return;
    const BarColours colours = coloursFor(look);
    const QRect chunk(rect.left() + 1, rect.top() + 1, filled, rect.height() - 2);
    QLinearGradient fill(chunk.topLeft(), chunk.bottomLeft());
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    painter->fillRect(chunk, fill);
}

#include "FlowLayout.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

#include <algorithm>

FlowLayout::FlowLayout(QWidget* parent, int margin, int horizontalSpacing, int verticalSpacing)
    : QLayout(parent)
    , m_horizontalSpacing(horizontalSpacing)
    , m_verticalSpacing(verticalSpacing)
{
    setContentsMargins(margin, margin, margin, margin);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : m_items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::sizeHint() const
{
    return minimumSize();
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::verticalSpacing() const
{
    if (m_verticalSpacing >= 0)
        return m_verticalSpacing;
    const QWidget* parent = parentWidget();
    const QStyle* style = parent ? parent->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, parent);
}

int FlowLayout::gap(int width, int itemWidth, int count, int margin)
{
    for (int k = 1; k <= count; ++k) {
        if (width > (k + 1) * margin + k * itemWidth)
            continue;
        // Not even one item fits with its margins: start at the left edge rather than
        // past the right one.
        return k == 1 ? 0 : (width - (k - 1) * itemWidth) / k;
    }
    // Everything fits in one row.
    return count > 0 ? (width - count * itemWidth - 2 * margin) / count : 0;
}

int FlowLayout::arrange(const QRect& rect, bool place) const
{
    if (m_items.isEmpty())
        return contentsMargins().top() + contentsMargins().bottom();
    const int itemWidth = m_items.constFirst()->sizeHint().width();
    const int width = rect.width();
    const int spacing = gap(width, itemWidth, int(m_items.size()), contentsMargins().left());
    int x = rect.x() + spacing;
    int y = rect.y() + contentsMargins().top();
    int rowHeight = 0;
    bool rowHasItem = false;
    for (QLayoutItem* item : m_items) {
        if (x + itemWidth > rect.x() + width && rowHasItem) {
            x = rect.x() + spacing;
            y += rowHeight + verticalSpacing();
            rowHeight = 0;
        }
        const QSize size = item->sizeHint();
        if (place)
            item->setGeometry(QRect(QPoint(x, y), QSize(itemWidth, size.height())));
        x += itemWidth + spacing;
        rowHeight = std::max(rowHeight, size.height());
        rowHasItem = true;
    }
    return y + rowHeight + contentsMargins().bottom() - rect.y();
}

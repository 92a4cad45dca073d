#include "RatingWidget.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr int kDots = 5;
constexpr int kDotSize = 4;
constexpr int kDotDistance = 10;
} // namespace

RatingWidget::RatingWidget(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void RatingWidget::setRating(int rating)
{
    m_rating = rating;
    setAccessibleName(rating < 0 ? QString() : tr("Rating %1 of %2").arg(rating).arg(kDots));
    update();
}

void RatingWidget::setColor(const QColor& color)
{
    m_color = color;
    update();
}

int RatingWidget::roundedRating(double rating)
{
    return int(std::round(rating));
}

QSize RatingWidget::sizeHint() const
{
    return { 1 + (kDots - 1) * kDotDistance + kDotSize + 1, 14 };
}

void RatingWidget::paintEvent(QPaintEvent*)
{
    if (m_rating < 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int dot = 0; dot < kDots; ++dot) {
        painter.setBrush(dot < m_rating ? m_color : m_color.darker(200));
        painter.drawEllipse(1 + dot * kDotDistance, 5, kDotSize, kDotSize);
    }
}

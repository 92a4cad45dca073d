#include "KQLabel.h"

#include <QMouseEvent>

KQLabel::KQLabel(QWidget* parent)
    : QLabel(parent)
{ }

void KQLabel::mousePressEvent(QMouseEvent* event)
{
    emit clicked(event);
    QLabel::mousePressEvent(event);
}

void KQLabel::enterEvent(QEnterEvent* event)
{
    emit mouseOver();
    QLabel::enterEvent(event);
}

void KQLabel::leaveEvent(QEvent* event)
{
    emit mouseOut();
    QLabel::leaveEvent(event);
}

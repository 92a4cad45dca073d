#include "KQLabel.h"

#include <QMouseEvent>

KQLabel::KQLabel(QWidget* parent)
    : QLabel(parent)
{ }

void KQLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    // A press that was dragged off the label is no click.
    if (rect().contains(event->position().toPoint()))
        emit clicked(event);
}

void KQLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    emit mouseOver();
}

void KQLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    emit mouseOut();
}

#include "BusyIndicator.h"

#include <QPainter>

#include <algorithm>

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(tr("Loading"));
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

void BusyIndicator::start()
{
    m_timer.start();
    show();
}

void BusyIndicator::stop()
{
    m_timer.stop();
    hide();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(side / 100.0, side / 100.0);
    QColor ink = palette().color(QPalette::WindowText);
    for (int spoke = 0; spoke < spokes; ++spoke) {
        // The spoke the wheel is at is darkest; the ones behind it fade out.
        const int age = (m_step - spoke + spokes) % spokes;
        ink.setAlphaF(1.0 - age / double(spokes));
        painter.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(0, 22, 0, 40);
        painter.rotate(360.0 / spokes);
    }
}

#pragma once

#include <QTimer>
#include <QWidget>

// A small spinning wheel shown while a page loads.
class BusyIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    // Milliseconds between two steps of the wheel.
    void setAnimationDelay(int milliseconds) { m_timer.setInterval(milliseconds); }
    bool isAnimated() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return { 90, 90 }; }

public slots:
    void start();
    void stop();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int spokes = 12;
    QTimer m_timer;
    int m_step = 0;
};

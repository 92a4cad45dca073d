#pragma once

#include <QLabel>

// A label that reports clicks and the mouse passing over it, for the clickable names, pictures
// and descriptions of the media views.
class KQLabel : public QLabel
{
    Q_OBJECT
public:
    explicit KQLabel(QWidget* parent = nullptr);

signals:
    // On the release of any button inside the label; null when the keyboard activated it.
    void clicked(QMouseEvent* event);
    void mouseOver();
    void mouseOut();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

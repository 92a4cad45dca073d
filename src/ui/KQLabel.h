#pragma once

#include <QLabel>

class QEnterEvent;
class QMouseEvent;

// A label that can be clicked and tells when the mouse comes and goes, for pictures and names
// that act as links.
class KQLabel : public QLabel
{
    Q_OBJECT
public:
    explicit KQLabel(QWidget* parent = nullptr);

signals:
    void clicked(QMouseEvent* event);
    void mouseOver();
    void mouseOut();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

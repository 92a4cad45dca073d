#pragma once

#include <QColor>
#include <QWidget>

// A media item's rating as five dots: as many filled as the rating, the rest darker.
class RatingWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RatingWidget(QWidget* parent = nullptr);

    // Negative paints nothing.
    void setRating(int rating);
    int rating() const { return m_rating; }
    void setColor(const QColor& color);
    QColor color() const { return m_color; }

    // A service's rating as dots: rounded to the nearest whole number, halves away from zero.
    static int roundedRating(double rating);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_rating = 0;
    QColor m_color { QStringLiteral("#CCCCCC") };
};

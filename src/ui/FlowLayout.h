#pragma once

#include <QLayout>
#include <QList>

// The thumbnail grid: items of one width flow into rows, and the space left in a row is shared
// out as equal gaps, so that every row lines up with the window's edges.
class FlowLayout : public QLayout
{
public:
    FlowLayout(QWidget* parent, int margin, int horizontalSpacing, int verticalSpacing);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

    int horizontalSpacing() const { return m_horizontalSpacing; }
    int verticalSpacing() const;
    // The gap around items of width "itemWidth" in a row "width" wide, for "count" items.
    static int gap(int width, int itemWidth, int count, int margin);

private:
    // Places the items (or only measures them) and gives the height used.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> m_items;
    int m_horizontalSpacing;
    int m_verticalSpacing;
};

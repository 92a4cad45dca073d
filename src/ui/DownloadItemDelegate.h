#pragma once

#include <QStyledItemDelegate>

// Paints one row of the downloads page from the texts of DownloadJobsModel: thumbnail, title,
// download type and source, a progress bar coloured by the job's state, the state or the
// remaining time, the transferred size and the speed. Painting instead of a widget per row
// keeps a list of a thousand downloads as quick as a short one.
class DownloadItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // How the progress bar of a row looks.
    enum class BarLook { Hidden, Plain, Downloading, Converting, Finished, Error, Paused };

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The look and the filled share (0 to 100) of the bar for a job's state.
    static BarLook barLook(int state, bool held);
    static int barValue(int state, int percent);

private:
    static void paintBar(QPainter* painter, const QRect& rect, BarLook look, int value);
};

#pragma once

#include "FeedView.h"

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;

// The plain view of a feed: one row per item with its title, author and length. A double-click
// or Enter opens the item's page; the context menu (also the menu key) downloads, opens or
// copies the item, and "Download all" queues every item of the feed.
class FeedItemListView : public FeedView
{
    Q_OBJECT
public:
    FeedItemListView(
        FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent = nullptr);

    static FeedViewFactory factory();

    QMenu* itemMenu() const { return m_menu; }
    QPushButton* downloadAllButton() const { return m_downloadAll; }

public slots:
    // Asks for confirmation, then downloads the shown page's items one by one and, when the
    // feed has more pages, hands the feed over for its other pages.
    void downloadAll();

protected:
    void showFeed() override;

private slots:
    void onItemActivated(QListWidgetItem* item);
    void onContextMenuRequested(const QPoint& position);
    void onCurrentRowChanged(int row);

private:
    QAction* addItemAction(const QString& text, const QString& name);
    // The item of the current row; null when no row is current.
    const MediaItem* currentItem() const;
    const MediaItem* itemOf(const QListWidgetItem* row) const;
    void downloadCurrent(MediaDescriptor::MediaType type);

    QLabel* m_message = nullptr;
    QPushButton* m_downloadAll = nullptr;
    QListWidget* m_list = nullptr;
    QMenu* m_menu = nullptr;
    QList<QAction*> m_itemActions;
};

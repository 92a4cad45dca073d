#pragma once

#include "FeedView.h"

#include <QList>

class BusyIndicator;
class FlowLayout;
class MediaItemForm;
class MediaItemFormController;
class MediaItemListForm;
class QButtonGroup;
class QLabel;
class QListWidget;
class QScrollArea;
class QStackedWidget;
class QToolButton;

// One feed in a sub-tab: a page of items as a justified grid of thumbnail cards or as a list
// of rows, with paging, a busy wheel while a page loads, and "Download all". A card and a row
// of the same item share one controller, which follows the item's download.
class MediaFeedContainer : public FeedView
{
    Q_OBJECT
public:
    enum ViewMode { Thumbnails = 0, List = 1 };
    enum Page { ThumbnailPage = 0, ListPage = 1, BusyPage = 2 };

    MediaFeedContainer(
        FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent = nullptr);
    ~MediaFeedContainer() override;

    static FeedViewFactory factory();

    QLabel* infoLabel() const { return m_info; }
    QToolButton* previousButton() const { return m_previous; }
    QToolButton* nextButton() const { return m_next; }
    QToolButton* thumbnailsButton() const { return m_thumbnailsButton; }
    QToolButton* listButton() const { return m_listButton; }
    QToolButton* downloadAllButton() const { return m_downloadAll; }
    QStackedWidget* stack() const { return m_stack; }
    QListWidget* listWidget() const { return m_list; }
    // The cards of the page in feed order; empty while the grid is not built.
    QList<MediaItemForm*> cards() const;
    QList<MediaItemListForm*> rows() const;
    // The controller of the page's item at "index", made on first use.
    MediaItemFormController* controller(int index);

public slots:
    void setViewMode(int viewMode);
    void showPreviousPage();
    void showNextPage();
    // Asks for confirmation, then downloads the shown page's items one by one and, when the
    // feed has more pages, hands the feed over for its other pages.
    void downloadAll();
    void connectToExistingDownloads() override;

protected:
    // A page behind another tab, or the view not chosen, lets go of its decoded pictures:
    // twenty open pages of fifty cards would otherwise hold a thousand of them.
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void loadingStarted() override;
    void showFeed() override;

private:
    QToolButton* addToolButton(const QString& name, const QString& toolTip, const QIcon& icon);
    void buildNavigation();
    void buildPages();
    void showBusy();
    void clearViews();
    void buildView();
    void buildThumbnails();
    void buildList();
    void finishLoading();
    void holdRunningDownloads(bool hold);
    // Pictures only for the view on screen.
    void keepPicturesOf(int viewMode);
    // Whether the page is worth "Download all": not search results, not related media.
    bool canDownloadAll() const;

    QLabel* m_info = nullptr;
    QToolButton* m_thumbnailsButton = nullptr;
    QToolButton* m_listButton = nullptr;
    QButtonGroup* m_viewButtons = nullptr;
    QToolButton* m_downloadAll = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QStackedWidget* m_stack = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_thumbnailContent = nullptr;
    FlowLayout* m_flow = nullptr;
    QListWidget* m_list = nullptr;
    BusyIndicator* m_busy = nullptr;
    QList<MediaItemFormController*> m_controllers;
    bool m_thumbnailsBuilt = false;
    bool m_listBuilt = false;
    bool m_holdingDownloads = false;
};

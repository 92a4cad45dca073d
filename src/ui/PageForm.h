#pragma once

#include "FeedView.h"

#include "app/MediaDescriptor.h"

#include <QWidget>

class PageData;
class QIcon;
class QProgressBar;
class QStackedWidget;
class QTabWidget;

// The widget of one tab: shows a page object by its kind, with one sub-tab per feed. The feed
// views come from the factory it is given, so that the card and list views plug in there.
class PageForm : public QWidget
{
    Q_OBJECT
public:
    struct Context
    {
        FeedViewFactory feedViews;
        // The first run shows the welcome form in its empty page.
        bool firstRun = false;
    };

    // Takes ownership of the page data and starts loading it.
    PageForm(PageData* page, int viewMode, const Context& context, QWidget* parent = nullptr);

    // Loads the page; called once the tab shows the form, so that the tab hears every change.
    void start();
    PageData* pageData() const { return m_page; }
    int viewMode() const { return m_viewMode; }
    QTabWidget* subTabs() const { return m_subTabs; }
    // Shows the page again after in-page playback.
    void showPageLayer();

signals:
    // What the tab shows for this page.
    void titleChanged(const QString& title, const QString& toolTip);
    void iconChanged(const QIcon& icon);
    void errorSignal();
    void historyEntryAdded(const QString& title, const QString& url, const QString& serviceName);
    void preferencesRequested();
    void playerHidden();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void onPageDataReady();
    void mediaDataReady();
    void userDataReady();
    void onFeedReady(int subTabIndex, const QString& name);
    void subTabChanged(int index);
    void onSubTabMoved(int from, int to);
    void subTabNameReady(int subTabIndex, const QString& name);

private:
    void showSearchPage();
    void showFeedsPage(bool movable, bool named);
    void showEmptyPage();
    QTabWidget* createSubTabs(bool movable);
    FeedView* addFeedView(FeedDataFetcher* fetcher, bool loadNow, const QString& name);
    void showBusyIndicator();
    void hideBusyIndicator();
    void addHistoryEntry(const QString& title);
    void failPage();

    PageData* m_page;
    int m_viewMode;
    Context m_context;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_pageLayer = nullptr;
    QTabWidget* m_subTabs = nullptr;
    QProgressBar* m_busy = nullptr;
};

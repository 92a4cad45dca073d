#pragma once

#include "FeedView.h"
#include "PageData.h"
#include "PageRecord.h"

#include "app/MediaDescriptor.h"

#include <QMainWindow>
#include <QPointer>
#include <QSqlDatabase>

class AddressBarForm;
class BookmarksModel;
class BufferedPlayback;
class DownloadStarter;
class FeedDataFetcher;
class HistoryModel;
class MainTabsForm;
class MediaItem;
class MediaServices;
class ProcessingElement;
class QSettings;
class QSplitter;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QueueFinishedNotifier;
class StatusBarPickers;

// The one top-level window: menus, the address bar, the sidebar that switches between
// browsing, downloads, bookmarks and history, and the status bar's pickers. Views reach each
// other through it; downloads go to the DownloadStarter the composition root installs.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    struct Parts
    {
        // Holds the bookmarks, the history and the conversion presets.
        QSqlDatabase database;
        // The store whose group "mainwindow" keeps the window's geometry.
        QSettings* settings = nullptr;
        bool firstRun = false;
        FeedViewFactory feedViews;
    };

    explicit MainWindow(const Parts& parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The one main window of the process; null before it is built and after it is gone.
    static MainWindow* instance();

    void setServices(MediaServices* services);
    // Null until the composition root hands them over.
    MediaServices* services() const;
    void setDownloadStarter(DownloadStarter* starter);
    // Puts the downloads view into its place in the content pages.
    void setDownloadsForm(QWidget* form);
    void restoreWindowState();

    AddressBarForm* addressBar() const { return m_addressBar; }
    MainTabsForm* mainTabsForm() const { return m_tabs; }
    QTreeWidget* navBar() const { return m_navBar; }
    QStackedWidget* contentStack() const { return m_contentStack; }
    StatusBarPickers* statusBarPickers() const { return m_pickers; }
    HistoryModel* historyModel() const { return m_history; }
    BookmarksModel* bookmarksModel() const { return m_bookmarks; }
    QueueFinishedNotifier* queueFinishedNotifier() const { return m_notifier; }

    // The job that downloads the item, or null when none could be made.
    ProcessingElement* startDownload(const MediaItem& item, MediaDescriptor::MediaType type);
    ProcessingElement* findJob(const MediaItem& item) const;
    // Plays the item without downloading it first.
    void playMedia(const MediaItem& item);
    void startBatchDownload(FeedDataFetcher* feed);
    void holdRunningDownloads(bool hold);
    // Audio for an audio-only service, else the type the preferences name.
    MediaDescriptor::MediaType downloadTypeFor(const QString& serviceName) const;
    void openAddress(const QString& address, const ExtraUrlData& extra, const QString& title,
        int viewMode = -1, bool newTab = false);
    void addHistoryEntry(const QString& title, const QString& url, const QString& serviceId);
    void showMessage(const QString& text);

public slots:
    // 0 loading, 1 done (nothing shown), 2 failed, 3 timed out.
    void setPageLoadStatus(int status);
    void clearPageLoadStatusText();
    void setSizePickerValue(int videoSize);
    void notifyQueueFinished(const QString& title, const QString& text);
    void queueProgress(int inQueue, int finished);
    void setExternalOpenURL(const QString& url);
    // The plugins are loaded: fills the services menu and opens what was waiting.
    void onServiceUpdateCheckFinished();
    void downloadInitiatorFinished(
        const MediaItem& item, MediaDescriptor::MediaType type, const QString& address);
    void selectNavbarSearch();

signals:
    // On the first turn of the event loop: the composition root starts the update check.
    void postConstructed();
    // The downloads view may restore the unfinished downloads now.
    void servicesLoaded();
    void moved(QMoveEvent* event);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private slots:
    void onPostConstruct();
    void navBarItemSelected(QTreeWidgetItem* item, int column);
    void handleExternalOpenURL();
    void on_actionNew_tab_triggered();
    void on_actionClose_Tab_triggered();
    void on_actionNext_tab_triggered();
    void on_actionPrevious_tab_triggered();
    void on_actionAdd_bookmark_triggered();
    void on_actionClear_history_triggered();
    void on_actionOptions_triggered();
    void on_actionAbout_triggered();
    void on_actionFeedback_triggered();
    void on_actionQuit_triggered();
    void menuBookmarksItemTriggered(QAction* action);
    void menuHistoryItemTriggered(QAction* action);
    void onNotificationMessageClicked();
    void fillBookmarksMenu();
    void addHistoryMenuEntry(const PageRecord& record);
    void clearHistoryMenu();

private:
    void buildContent();
    void buildSidebar();
    void buildMenus();
    void connectViews();
    QAction* createAction(QMenu* menu, const char* name, const QString& text, const QString& keys);
    QAction* pageAction(const PageRecord& record, QMenu* menu);
    void openPageRecord(const PageRecord& record, bool newTab);
    void saveWindowState();
    void reopenStoredTabs();

    Parts m_parts;
    QPointer<MediaServices> m_services;
    DownloadStarter* m_downloads = nullptr;
    QPointer<BufferedPlayback> m_playback;
    BookmarksModel* m_bookmarks = nullptr;
    HistoryModel* m_history = nullptr;
    QTreeWidget* m_navBar = nullptr;
    QTreeWidgetItem* m_browseItem = nullptr;
    QTreeWidgetItem* m_downloadsItem = nullptr;
    QStackedWidget* m_contentStack = nullptr;
    QSplitter* m_splitter = nullptr;
    MainTabsForm* m_tabs = nullptr;
    AddressBarForm* m_addressBar = nullptr;
    StatusBarPickers* m_pickers = nullptr;
    QueueFinishedNotifier* m_notifier = nullptr;
    QMenu* m_bookmarksMenu = nullptr;
    QMenu* m_historyMenu = nullptr;
    QAction* m_newestHistoryAction = nullptr;
    QString m_pendingExternalUrl;
    // The addresses of the tabs of the last session, opened once the services are loaded.
    QStringList m_storedTabs;
    bool m_servicesReady = false;
};

#include "MainWindow.h"

#include "AboutWindow.h"
#include "AccessibleNames.h"
#include "AddressBarForm.h"
#include "BookmarkDialog.h"
#include "BookmarksForm.h"
#include "BookmarksModel.h"
#include "ClearHistoryDialog.h"
#include "DownloadStarter.h"
#include "ExternalDownloadAddress.h"
#include "FileRevealer.h"
#include "HistoryForm.h"
#include "HistoryModel.h"
#include "MainTabsForm.h"
#include "Milestones.h"
#include "NavMenuItemDelegate.h"
#include "PageRecordQuery.h"
#include "PreferencesWindow.h"
#include "QueueFinishedNotifier.h"
#include "StatusBarPickers.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/FatalStop.h"
#include "app/Prefs.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "download/BufferedPlayback.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QSysInfo>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include <utility>

namespace {

MainWindow* g_instance = nullptr;

const QString feedbackAddress = QStringLiteral("feedback@ulvane.example");

const QString windowStyle = QStringLiteral("#centralWidget {\n\tborder-top:1px solid "
                                           "#333333;\n}\n\nQStatusBar::item {\nborder: none;\n}\n");
const QString navBarStyle
    = QStringLiteral("QTreeWidget {background-color: #E2E7EE; border: none; font-size: 12px;}\n"
                     "QTreeWidget::item {height: 24px;}\n");
const QString branchHidingStyle = QStringLiteral(
    "\nQTreeWidget::branch {background:transparent}\n"
    "QTreeWidget::branch:has-children:!has-siblings:closed,"
    " QTreeWidget::branch:closed:has-children:has-siblings {border-image: none; image: none;}\n"
    "QTreeWidget::branch:open:has-children:!has-siblings,"
    " QTreeWidget::branch:open:has-children:has-siblings {border-image: none; image: none;}\n");

enum ContentPage { BrowsePage = 0, DownloadsPage, BookmarksPage, HistoryPage };

QIcon sidebarIcon(const QString& name)
{
    const QString base = QStringLiteral(":/images/resources/images/sidebar-") + name;
    QIcon icon(base + QStringLiteral(".png"));
    icon.addFile(base + QStringLiteral("-white.png"), QSize(), QIcon::Selected);
    return icon;
}

} // namespace

MainWindow::MainWindow(const Parts& parts, QWidget* parent)
    : QMainWindow(parent)
    , m_parts(parts)
    , m_bookmarks(new BookmarksModel(parts.database, this))
    , m_history(new HistoryModel(parts.database, this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setStyleSheet(windowStyle);
    setWindowTitle(QStringLiteral("Kestrofan 2"));
    setWindowIcon(QIcon(QStringLiteral(":/images/resources/images/KestrofanIcon2-64.png")));
    g_instance = this;

    buildContent();
    buildSidebar();
    setStyleSheet(styleSheet() + branchHidingStyle);

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setWindowTitle(tr("Address bar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, toolBar);
    m_addressBar = new AddressBarForm(m_tabs, toolBar);
    toolBar->addWidget(m_addressBar);

    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_pickers = new StatusBarPickers(statusBar());
    buildMenus();
    connectViews();

    m_notifier = new QueueFinishedNotifier(this);
    connect(m_notifier, &QueueFinishedNotifier::messageClicked, this,
        &MainWindow::onNotificationMessageClicked);
    AccessibleNames::complete(this);
    // The size of a first start; a stored geometry replaces it.
    resize(1000, 660);
    QTimer::singleShot(0, this, &MainWindow::onPostConstruct);
}

MainWindow::~MainWindow()
{
    if (g_instance == this)
        g_instance = nullptr;
}

MainWindow* MainWindow::instance()
{
    return g_instance;
}

void MainWindow::buildContent()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* layout = new QHBoxLayout(central);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter = splitter;
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setStyleSheet(
        QStringLiteral("QSplitter::handle:horizontal {border:1px solid #AAAAAA}"));
    layout->addWidget(splitter);

    m_navBar = new QTreeWidget(splitter);
    m_navBar->setObjectName(QStringLiteral("navBar"));
    m_navBar->setAccessibleName(tr("Sections"));
    m_contentStack = new QStackedWidget(splitter);
    m_contentStack->setObjectName(QStringLiteral("contentStack"));
    m_contentStack->setStyleSheet(QStringLiteral("#contentStack {background-color: #FFFFFF}"));

    m_tabs = new MainTabsForm(
        PageForm::Context { m_parts.feedViews, m_parts.firstRun }, m_contentStack);
    auto* downloads = new QLabel(tr("No downloads yet."), m_contentStack);
    downloads->setObjectName(QStringLiteral("downloadsForm"));
    downloads->setAlignment(Qt::AlignCenter);
    auto* bookmarks = new BookmarksForm(m_bookmarks, m_contentStack);
    bookmarks->setObjectName(QStringLiteral("bookmarksForm"));
    auto* history = new HistoryForm(m_history, m_contentStack);
    history->setObjectName(QStringLiteral("historyForm"));
    for (QWidget* page : { static_cast<QWidget*>(m_tabs), static_cast<QWidget*>(downloads),
             static_cast<QWidget*>(bookmarks), static_cast<QWidget*>(history) }) {
        page->setStyleSheet(QStringLiteral("background-color: #FFFFFF"));
        m_contentStack->addWidget(page);
    }
    connect(bookmarks, &PageListForm::openRequested, this, &MainWindow::openPageRecord);
    connect(history, &PageListForm::openRequested, this, &MainWindow::openPageRecord);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 170, 830 });
    setCentralWidget(central);
    m_contentStack->setCurrentIndex(BrowsePage);
}

void MainWindow::setDownloadsForm(QWidget* form)
{
    QWidget* old = m_contentStack->widget(DownloadsPage);
    form->setObjectName(QStringLiteral("downloadsForm"));
    m_contentStack->insertWidget(DownloadsPage, form);
    m_contentStack->removeWidget(old);
    old->deleteLater();
}

void MainWindow::buildSidebar()
{
    m_navBar->setStyleSheet(navBarStyle);
    m_navBar->setHeaderHidden(true);
    m_navBar->setFocusPolicy(Qt::NoFocus);
    m_navBar->setDropIndicatorShown(false);
    m_navBar->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_navBar->setRootIsDecorated(false);
    m_navBar->setIndentation(8);
    m_navBar->setItemDelegate(new NavMenuItemDelegate(m_navBar));

    auto* header = new QTreeWidgetItem(m_navBar, { QStringLiteral("KESTROFAN") });
    header->setFlags(Qt::ItemIsEnabled);
    QFont bold = header->font(0);
    bold.setBold(true);
    header->setFont(0, bold);
    const struct
    {
        QString text;
        const char* icon;
        int page;
    } entries[] = {
        { tr("Browse"), "browse", BrowsePage },
        { tr("Downloads"), "downloads", DownloadsPage },
        { tr("Bookmarks"), "bookmarks", BookmarksPage },
        { tr("History"), "history", HistoryPage },
    };
    for (const auto& entry : entries) {
        auto* item = new QTreeWidgetItem(header, { entry.text });
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(0, Qt::UserRole, entry.page);
        item->setIcon(0, sidebarIcon(QLatin1String(entry.icon)));
        if (entry.page == BrowsePage)
            m_browseItem = item;
        else if (entry.page == DownloadsPage)
            m_downloadsItem = item;
    }
    m_navBar->expandAll();
    m_browseItem->setSelected(true);
    connect(m_navBar, &QTreeWidget::itemClicked, this, &MainWindow::navBarItemSelected);
}

QAction* MainWindow::createAction(
    QMenu* menu, const char* name, const QString& text, const QString& keys)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    if (!keys.isEmpty())
        action->setShortcut(QKeySequence(keys));
    if (menu)
        menu->addAction(action);
    else
        QMainWindow::addAction(action);
    return action;
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto menu = [bar](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* file = menu("menuFile", tr("File"));
    QMenu* edit = menu("menuEdit", tr("Edit"));
    m_bookmarksMenu = menu("menuBookmarks", tr("Bookmarks"));
    m_historyMenu = menu("menuHistory", tr("History"));
    QMenu* windowMenu = menu("menuWindow", tr("Window"));
    QMenu* tools = menu("menuTools", tr("Tools"));
    QMenu* feedback = menu("menuFeedback", tr("Feedback"));

    createAction(file, "actionNew_tab", tr("New Tab"), QStringLiteral("Ctrl+T"));
    createAction(file, "actionClose_Tab", tr("Close Tab"), QStringLiteral("Ctrl+W"));
    createAction(edit, "actionUndo", tr("Undo"), QStringLiteral("Ctrl+Z"));
    createAction(edit, "actionRedo", tr("Redo"), QStringLiteral("Ctrl+Shift+Z"));
    edit->addSeparator();
    createAction(edit, "actionCut", tr("Cut"), QStringLiteral("Ctrl+X"));
    createAction(edit, "actionCopy", tr("Copy"), QStringLiteral("Ctrl+C"));
    createAction(edit, "actionPaste", tr("Paste"), QStringLiteral("Ctrl+V"));
    createAction(
        m_bookmarksMenu, "actionAdd_bookmark", tr("Add bookmark"), QStringLiteral("Ctrl+D"));
    m_bookmarksMenu->addSeparator();
    createAction(m_historyMenu, "actionClear_history", tr("Clear history..."), {});
    m_historyMenu->addSeparator();
    QAction* minimize
        = createAction(windowMenu, "actionMinimize", tr("Minimize"), QStringLiteral("Ctrl+M"));
    QAction* zoom = createAction(windowMenu, "actionZoom", tr("Zoom"), {});
    windowMenu->addSeparator();
    createAction(
        windowMenu, "actionPrevious_tab", tr("Previous tab"), QStringLiteral("Ctrl+Alt+Left"));
    createAction(windowMenu, "actionNext_tab", tr("Next tab"), QStringLiteral("Ctrl+Alt+Right"));
    windowMenu->addSeparator();
    createAction(tools, "actionAbout", tr("About"), {});
    createAction(tools, "actionOptions", tr("Options"), QStringLiteral("Ctrl+,"));
    createAction(feedback, "actionFeedback", tr("Email bug report/suggestion..."), {});
    createAction(nullptr, "actionQuit", tr("Quit"), QStringLiteral("Ctrl+Q"));
    connect(minimize, &QAction::triggered, this, &QWidget::showMinimized);
    connect(zoom, &QAction::triggered, this,
        [this] { isMaximized() ? showNormal() : showMaximized(); });

    fillBookmarksMenu();
    const QList<PageRecord> visits = m_history->list();
    for (auto it = visits.crbegin(); it != visits.crend(); ++it)
        addHistoryMenuEntry(*it);
    connect(m_bookmarksMenu, &QMenu::triggered, this, &MainWindow::menuBookmarksItemTriggered);
    connect(m_historyMenu, &QMenu::triggered, this, &MainWindow::menuHistoryItemTriggered);
    QMetaObject::connectSlotsByName(this);
}

void MainWindow::connectViews()
{
    connect(m_addressBar, &AddressBarForm::pageInstanceReady, m_tabs, &MainTabsForm::addPage);
    connect(m_addressBar, &AddressBarForm::signalTextInputChanged, this,
        &MainWindow::selectNavbarSearch);
    connect(
        m_addressBar, &AddressBarForm::pageLoadStatusChanged, this, &MainWindow::setPageLoadStatus);
    connect(m_addressBar, &AddressBarForm::errorOccurred, this,
        [this](const QString& text) { m_pickers->pageStatusLabel()->setText(text); });
    connect(
        m_tabs, &MainTabsForm::tabsUpdateFinished, m_addressBar, &AddressBarForm::updateNavButtons);
    connect(m_tabs, &MainTabsForm::currentQueryChanged, m_addressBar, &AddressBarForm::setText);
    connect(m_tabs, &MainTabsForm::focusAddressRequested, m_addressBar,
        &AddressBarForm::focusInputSoon);
    connect(m_tabs, &MainTabsForm::newTabRequested, this, &MainWindow::on_actionNew_tab_triggered);
    connect(m_tabs, &MainTabsForm::historyEntryAdded, this, &MainWindow::addHistoryEntry);
    connect(
        m_tabs, &MainTabsForm::preferencesRequested, this, &MainWindow::on_actionOptions_triggered);
    connect(m_bookmarks, &BookmarksModel::bookmarkAdded, this, &MainWindow::fillBookmarksMenu);
    connect(m_bookmarks, &BookmarksModel::bookmarksRemoved, this, &MainWindow::fillBookmarksMenu);
    connect(m_history, &HistoryModel::entryAdded, this, &MainWindow::addHistoryMenuEntry);
    connect(m_history, &HistoryModel::historyCleared, this, &MainWindow::clearHistoryMenu);
}

void MainWindow::onPostConstruct()
{
    emit postConstructed();
    if (m_tabs->tabs()->count() == 0)
        openAddress({}, {}, tr("Untitled"), -1, true);
}

void MainWindow::setServices(MediaServices* services)
{
    m_services = services;
    m_addressBar->setServices(services);
}

void MainWindow::setDownloadStarter(DownloadStarter* starter)
{
    m_downloads = starter;
}

void MainWindow::onServiceUpdateCheckFinished()
{
    if (m_servicesReady)
        return;
    if (!m_services || m_services->services().isEmpty()) {
        FatalStop::die(tr("No services loaded. Can't continue without 'em."));
        return;
    }
    m_servicesReady = true;
    connect(m_services, &MediaServices::mediaServiceAddedAfterLaunch, m_addressBar,
        &AddressBarForm::onMediaServiceAddedAfterLaunch);
    const QMap<QString, MediaService*> services = m_services->services();
    for (MediaService* service : services) {
        if (service->supportsSearch())
            m_addressBar->addService(service->serviceName());
    }
    m_addressBar->onServiceSelectionChanged();
    emit servicesLoaded();
    reopenStoredTabs();
    m_addressBar->handleClipboardAddress();
    // An address the desktop handed over while the plugins were loading waited for them.
    handleExternalOpenURL();
}

ProcessingElement* MainWindow::startDownload(const MediaItem& item, MediaDescriptor::MediaType type)
{
    if (!m_downloads) {
        showMessage(tr("Downloads cannot be started in this build."));
        return nullptr;
    }
    return m_downloads->startDownload(item, type);
}

MediaServices* MainWindow::services() const
{
    return m_services;
}

void MainWindow::playMedia(const MediaItem& item)
{
    const JobServices parts = AppContext::jobServices(nullptr);
    if (!parts.helpers || !parts.processPool) {
        showMessage(tr("Playback needs the download helper, which is not set up."));
        return;
    }
    // One playback at a time: the one before ends and takes its buffer file along.
    delete m_playback;
    m_playback = new BufferedPlayback(
        parts.helpers, parts.processPool, JobSettings::fromPreferences(), this);
    connect(m_playback, &BufferedPlayback::playing, this, &MainWindow::clearPageLoadStatusText);
    connect(m_playback, &BufferedPlayback::error, this, [this](const QString& text) {
        clearPageLoadStatusText();
        showMessage(UserFacingText::fromRecordedError(text));
    });
    // A message box would stand in front of the player; the status bar says it quietly.
    m_pickers->pageStatusLabel()->setText(tr("Buffering..."));
    m_playback->start(item);
}

ProcessingElement* MainWindow::findJob(const MediaItem& item) const
{
    return m_downloads ? m_downloads->findJob(item) : nullptr;
}

MediaDescriptor::MediaType MainWindow::downloadTypeFor(const QString& serviceName) const
{
    const MediaService* service = m_services ? m_services->service(serviceName) : nullptr;
    if (service && service->isAudioOnly())
        return MediaDescriptor::Audio;
    return Prefs::defaultDownloadMediaType() == MediaDescriptor::Audio ? MediaDescriptor::Audio
                                                                       : MediaDescriptor::Video;
}

void MainWindow::holdRunningDownloads(bool hold)
{
    if (m_downloads)
        m_downloads->holdRunningDownloads(hold);
}

void MainWindow::startBatchDownload(FeedDataFetcher* feed)
{
    if (!m_downloads) {
        showMessage(tr("Downloads cannot be started in this build."));
        return;
    }
    m_downloads->startBatchDownload(feed);
}

void MainWindow::openAddress(const QString& address, const ExtraUrlData& extra,
    const QString& title, int viewMode, bool newTab)
{
    Milestones::log("address opened");
    m_addressBar->submitTextInput(address, extra, title, viewMode, newTab);
}

void MainWindow::openPageRecord(const PageRecord& record, bool newTab)
{
    if (!record.url.isEmpty())
        openAddress(record.url, {}, record.title, -1, newTab);
}

void MainWindow::addHistoryEntry(const QString& title, const QString& url, const QString& serviceId)
{
    m_history->addEntry(title, url, serviceId);
}

QAction* MainWindow::pageAction(const PageRecord& record, QMenu* menu)
{
    auto* action = new QAction(record.title.isEmpty() ? record.url : record.title, menu);
    action->setMenuRole(QAction::NoRole);
    action->setData(record.url);
    action->setToolTip(record.url);
    return action;
}

void MainWindow::fillBookmarksMenu()
{
    const QList<QAction*> actions = m_bookmarksMenu->actions();
    for (int i = 2; i < actions.size(); ++i)
        delete actions.at(i);
    const QList<PageRecord> bookmarks = PageRecordQuery::run(m_parts.database,
        QStringLiteral(
            "SELECT title, url, service_id, date_time FROM bookmarks ORDER BY date_time DESC"));
    for (const PageRecord& record : bookmarks)
        m_bookmarksMenu->addAction(pageAction(record, m_bookmarksMenu));
}

// New visits go to the top of the list, below the clear action and its separator.
void MainWindow::addHistoryMenuEntry(const PageRecord& record)
{
    QAction* action = pageAction(record, m_historyMenu);
    m_historyMenu->insertAction(m_newestHistoryAction, action);
    m_newestHistoryAction = action;
}

void MainWindow::clearHistoryMenu()
{
    const QList<QAction*> actions = m_historyMenu->actions();
    for (int i = 2; i < actions.size(); ++i)
        delete actions.at(i);
    m_newestHistoryAction = nullptr;
}

void MainWindow::menuBookmarksItemTriggered(QAction* action)
{
    const QString url = action->data().toString();
    if (!url.isEmpty())
        openAddress(url, {}, action->text());
}

void MainWindow::menuHistoryItemTriggered(QAction* action)
{
    if (action == m_historyMenu->actions().value(0))
        return;
    menuBookmarksItemTriggered(action);
}

void MainWindow::showMessage(const QString& text)
{
    QMessageBox box(this);
    box.setWindowModality(Qt::WindowModal);
    box.setIconPixmap(QPixmap(QStringLiteral(":/images/resources/images/KestrofanIcon2-64.png")));
    box.setText(text);
    box.exec();
}

void MainWindow::setPageLoadStatus(int status)
{
    QString text;
    switch (status) {
    case 0:
        //: Loading a page
        text = tr("Loading...");
        break;
    case 2:
        text = tr("Error loading page");
        break;
    case 3:
        text = tr("Page request timed out");
        break;
    default:
        break;
    }
    m_pickers->pageStatusLabel()->setText(text);
    if (status != 1)
        QTimer::singleShot(3000, this, &MainWindow::clearPageLoadStatusText);
}

void MainWindow::clearPageLoadStatusText()
{
    m_pickers->pageStatusLabel()->clear();
}

void MainWindow::setSizePickerValue(int videoSize)
{
    m_pickers->setSizePickerValue(videoSize);
}

void MainWindow::notifyQueueFinished(const QString& title, const QString& text)
{
    m_notifier->notify(title, text, Prefs::visualNotificationOnQueueFinished(),
        Prefs::audioNotificationOnQueueFinished());
}

void MainWindow::onNotificationMessageClicked()
{
    const QString newest = FileRevealer::newestFile(Prefs::mediaPath());
    if (!newest.isEmpty())
        FileRevealer::reveal(newest);
}

void MainWindow::queueProgress(int inQueue, int finished)
{
    m_downloadsItem->setData(
        0, NavMenuItemDelegate::CounterRole, QStringLiteral("%1:%2").arg(inQueue).arg(finished));
}

void MainWindow::setExternalOpenURL(const QString& url)
{
    m_pendingExternalUrl = url;
    handleExternalOpenURL();
}

void MainWindow::handleExternalOpenURL()
{
    if (m_pendingExternalUrl.isEmpty() || !m_servicesReady)
        return;
    const std::optional<ExternalDownloadAddress> external
        = ExternalDownloadAddress::parse(std::exchange(m_pendingExternalUrl, QString()));
    if (!external || !m_services->isSupportedAddress(external->mediaAddress))
        return;
    if (!m_downloads) {
        openAddress(external->mediaAddress, {}, {});
        return;
    }
    m_downloads->initiateDownload(external->mediaAddress, external->mediaType);
}

void MainWindow::downloadInitiatorFinished(
    const MediaItem& item, MediaDescriptor::MediaType type, const QString& address)
{
    startDownload(item, type);
    openAddress(address, {}, {});
}

void MainWindow::navBarItemSelected(QTreeWidgetItem* item, int)
{
    if (!item || !(item->flags() & Qt::ItemIsSelectable))
        return;
    m_contentStack->setCurrentIndex(item->data(0, Qt::UserRole).toInt());
    if (!item->isSelected()) {
        m_navBar->clearSelection();
        item->setSelected(true);
    }
}

void MainWindow::selectNavbarSearch()
{
    navBarItemSelected(m_browseItem, 0);
}

void MainWindow::on_actionNew_tab_triggered()
{
    openAddress({}, {}, tr("Untitled"), -1, true);
}

void MainWindow::on_actionClose_Tab_triggered()
{
    m_tabs->closeCurrentTab();
}

void MainWindow::on_actionNext_tab_triggered()
{
    m_tabs->nextTab();
}

void MainWindow::on_actionPrevious_tab_triggered()
{
    m_tabs->previousTab();
}

void MainWindow::on_actionAdd_bookmark_triggered()
{
    PageForm* page = m_tabs->currentPage();
    if (!page)
        return;
    const int index = m_tabs->tabs()->currentIndex();
    BookmarkDialog dialog(m_bookmarks, m_tabs->tabs()->tabText(index),
        m_addressBar->searchInput()->text(), this, page->pageData()->serviceName());
    dialog.exec();
}

void MainWindow::on_actionClear_history_triggered()
{
    ClearHistoryDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        m_history->clearHistory();
}

void MainWindow::on_actionOptions_triggered()
{
    QStringList serviceNames;
    if (m_services)
        serviceNames = m_services->services().keys();
    auto* preferences = new PreferencesWindow(m_parts.database, serviceNames);
    preferences->setAttribute(Qt::WA_DeleteOnClose);
    connect(preferences, &PreferencesWindow::defaultDownloadMediaTypeChanged, m_pickers,
        &StatusBarPickers::setMediaType);
    connect(preferences, &PreferencesWindow::preferredVideoSizeChanged, this,
        &MainWindow::setSizePickerValue);
    preferences->show();
}

void MainWindow::on_actionAbout_triggered()
{
    const BinaryHelpers helpers;
    const AboutWindow::Facts facts { AppIdentity::version(), AppIdentity::build(),
        AppPaths::dataLocation(),
        BinaryHelpers::helperPath(helpers.helpers().value(BinaryHelper::downloadHelperId)) };
    auto* about = new AboutWindow(facts);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainWindow::on_actionFeedback_triggered()
{
    const QString body
        = QStringLiteral(
              "\n\n--------------------------------------\nSystem information:\nOS: %1 %2")
              .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion())
        + tr("\nKestrofan %1, build %2").arg(AppIdentity::version(), AppIdentity::build());
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + feedbackAddress
        + QStringLiteral("?subject=Kestrofan%20Feedback&body=")
        + QString::fromLatin1(QUrl::toPercentEncoding(body))));
}

void MainWindow::on_actionQuit_triggered()
{
    // Quitting closes no window, so the state is kept here as well.
    saveWindowState();
    QCoreApplication::quit();
}

void MainWindow::restoreWindowState()
{
    QSettings* store = m_parts.settings;
    if (!store)
        return;
    store->beginGroup(QStringLiteral("mainwindow"));
    restoreGeometry(store->value(QStringLiteral("geometry"), saveGeometry()).toByteArray());
    restoreState(store->value(QStringLiteral("savestate"), saveState()).toByteArray());
    move(store->value(QStringLiteral("pos"), pos()).toPoint());
    resize(store->value(QStringLiteral("size"), size()).toSize());
    m_splitter->restoreState(store->value(QStringLiteral("splitter")).toByteArray());
    m_storedTabs = store->value(QStringLiteral("tabs")).toStringList();
    const bool maximized = store->value(QStringLiteral("maximized"), isMaximized()).toBool();
    store->endGroup();
    if (maximized)
        showMaximized();
}

void MainWindow::saveWindowState()
{
    QSettings* store = m_parts.settings;
    if (!store)
        return;
    QStringList tabs;
    QTabWidget* tabWidget = m_tabs->tabs();
    for (int i = 0; i < tabWidget->count(); ++i) {
        const auto* page = qobject_cast<PageForm*>(tabWidget->widget(i));
        if (page && page->pageData() && !page->pageData()->query().isEmpty())
            tabs.append(page->pageData()->query());
    }
    store->beginGroup(QStringLiteral("mainwindow"));
    store->setValue(QStringLiteral("geometry"), saveGeometry());
    store->setValue(QStringLiteral("savestate"), saveState());
    store->setValue(QStringLiteral("splitter"), m_splitter->saveState());
    // Tabs that never got to load keep their place for the next start.
    store->setValue(QStringLiteral("tabs"), m_servicesReady ? tabs : m_storedTabs);
    store->setValue(QStringLiteral("maximized"), isMaximized());
    if (!isMaximized()) {
        store->setValue(QStringLiteral("pos"), pos());
        store->setValue(QStringLiteral("size"), size());
    }
    store->endGroup();
    store->sync();
}

void MainWindow::reopenStoredTabs()
{
    const QStringList addresses = std::exchange(m_storedTabs, {});
    for (int i = 0; i < addresses.size(); ++i) {
        // The first one takes the place of the empty tab of the start.
        const bool replaceEmpty = i == 0 && m_tabs->tabs()->count() == 1 && m_tabs->currentPage()
            && m_tabs->currentPage()->pageData()->query().isEmpty();
        openAddress(addresses.at(i), {}, {}, -1, !replaceEmpty);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveWindowState();
    QMainWindow::closeEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    emit moved(event);
}

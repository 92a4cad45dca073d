#include "MediaItemFormController.h"

#include "BookmarkDialog.h"
#include "FileRevealer.h"
#include "MainTabsForm.h"
#include "MainWindow.h"
#include "MediaItemListForm.h"
#include "PageForm.h"

#include "download/ProcessingElement.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

namespace {

bool keepsJobBusy(ProcessingStates::States state)
{
    switch (state) {
    case ProcessingStates::Waiting:
    case ProcessingStates::Connecting:
    case ProcessingStates::Downloading:
    case ProcessingStates::Converting:
    case ProcessingStates::Paused:
        return true;
    default:
        return false;
    }
}

bool canBeCancelled(ProcessingStates::States state)
{
    return state == ProcessingStates::Waiting || state == ProcessingStates::Connecting
        || state == ProcessingStates::Downloading;
}

void openInBrowser(const QString& address)
{
    if (address.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl(address)) && MainWindow::instance())
        MainWindow::instance()->showMessage(
            MediaItemFormController::tr("No web browser could open %1.").arg(address));
}

} // namespace

MediaItemFormController::MediaItemFormController(const MediaItem& item, QObject* parent)
    : QObject(parent)
    , m_item(item)
{
    m_canDownloadAudio = isDownloadable();
    m_canDownloadVideo = isDownloadable() && !isServiceAudioOnly();
}

MediaItemFormController::~MediaItemFormController() = default;

ProcessingElement* MediaItemFormController::processingElement() const
{
    return m_job;
}

bool MediaItemFormController::isServiceAudioOnly(bool* known) const
{
    MainWindow* window = MainWindow::instance();
    MediaServices* services = window ? window->services() : nullptr;
    MediaService* service = services ? services->service(m_item.serviceName()) : nullptr;
    if (known)
        *known = service != nullptr;
    return service && service->isAudioOnly();
}

void MediaItemFormController::startDownload(MediaDescriptor::MediaType type)
{
    MainWindow* window = MainWindow::instance();
    if (!window || !isDownloadable())
        return;
    if (ProcessingElement* job = window->startDownload(m_item, type))
        connectToProcessingElement(job);
}

void MediaItemFormController::connectToExistingDownload()
{
    if (MainWindow* window = MainWindow::instance()) {
        if (ProcessingElement* job = window->findJob(m_item))
            connectToProcessingElement(job);
    }
}

void MediaItemFormController::connectToProcessingElement(ProcessingElement* job)
{
    if (!job || job == m_job)
        return;
    if (m_job)
        m_job->disconnect(this);
    m_job = job;
    connect(job, &ProcessingElement::stateChanged, this,
        &MediaItemFormController::onProcessingStateChanged);
    connect(job, &ProcessingElement::error, this, &MediaItemFormController::onError);
    connect(
        job, &ProcessingElement::progressUpdate, this, &MediaItemFormController::onProgressUpdate);
    emit processingElementAvailable();
    m_errorText = job->errorText();
    onProgressUpdate(job->progress());
    onProcessingStateChanged(job->state());
}

void MediaItemFormController::addToDownloadQueue()
{
    bool known = false;
    isServiceAudioOnly(&known);
    MainWindow* window = MainWindow::instance();
    if (known && window)
        startDownload(window->downloadTypeFor(m_item.serviceName()));
}

void MediaItemFormController::downloadAsAudio()
{
    startDownload(MediaDescriptor::Audio);
}

void MediaItemFormController::downloadAsVideo()
{
    startDownload(MediaDescriptor::Video);
}

void MediaItemFormController::onProcessingStateChanged(ProcessingStates::States state)
{
    m_state = state;
    if (state == ProcessingStates::Finished)
        m_canShowFile = true;
    m_canCancel = canBeCancelled(state);
    if (keepsJobBusy(state)) {
        m_canShowFile = false;
        m_canDownloadAudio = false;
        m_canDownloadVideo = false;
    } else {
        // A live stream has no end to download.
        m_canDownloadAudio = isDownloadable();
        bool known = false;
        const bool audioOnly = isServiceAudioOnly(&known);
        if (known)
            m_canDownloadVideo = isDownloadable() && !audioOnly;
    }
    applyActionStates();
    emit stateChanged(state);
}

void MediaItemFormController::onError(const QString& errorString)
{
    m_errorText = errorString;
    onProcessingStateChanged(ProcessingStates::Error);
}

void MediaItemFormController::onProgressUpdate(int percent)
{
    m_progress = percent;
    emit progressUpdate(percent);
}

void MediaItemFormController::cancelDownload()
{
    m_canCancel = false;
    applyActionStates();
    ProcessingElement* job = m_job;
    if (!job && MainWindow::instance())
        job = MainWindow::instance()->findJob(m_item);
    // The job stops its request, removes its files and records the state itself.
    if (job)
        job->cancel();
}

void MediaItemFormController::showDownloadedFile()
{
    ProcessingElement* job = m_job;
    if (!job && MainWindow::instance())
        job = MainWindow::instance()->findJob(m_item);
    const QString file = job ? job->finishedFileName() : QString();
    if ((file.isEmpty() || !FileRevealer::reveal(file)) && MainWindow::instance())
        MainWindow::instance()->showMessage(tr("The downloaded file cannot be shown."));
}

void MediaItemFormController::mediaImageClicked(QMouseEvent* event)
{
    MainWindow* window = MainWindow::instance();
    if (!window || (event && event->button() == Qt::RightButton))
        return;
    PageForm* page = window->mainTabsForm() ? window->mainTabsForm()->currentPage() : nullptr;
    window->openAddress(m_item.permaUrl(), {}, {}, page ? page->viewMode() : -1);
}

void MediaItemFormController::nameLabelClicked(QMouseEvent* event)
{
    // The right button opens the name's menu, not the page.
    MainWindow* window = MainWindow::instance();
    if (!window || m_item.userPermaUrl().isEmpty() || (event && event->button() == Qt::RightButton))
        return;
    window->openAddress(m_item.userPermaUrl(), {}, {}, 0);
}

void MediaItemFormController::play()
{
    if (MainWindow* window = MainWindow::instance())
        window->playMedia(m_item);
}

void MediaItemFormController::openMediaPageInNewTab()
{
    openInNewTab(m_item.permaUrl());
}

void MediaItemFormController::openUserPageInNewTab()
{
    openInNewTab(m_item.userPermaUrl());
}

void MediaItemFormController::openInNewTab(const QString& address)
{
    if (MainWindow* window = MainWindow::instance(); window && !address.isEmpty())
        window->openAddress(address, {}, {}, viewModeOfMenuOwner(), true);
}

int MediaItemFormController::viewModeOfMenuOwner() const
{
    for (QWidget* widget = m_menuOwner; widget; widget = widget->parentWidget()) {
        if (qobject_cast<MediaItemListForm*>(widget))
            return 1;
    }
    return 0;
}

void MediaItemFormController::copyMediaURLToClipboard()
{
    QApplication::clipboard()->setText(m_item.permaUrl());
}

void MediaItemFormController::copyUserPageURLToClipboard()
{
    QApplication::clipboard()->setText(m_item.userPermaUrl());
}

void MediaItemFormController::openMediaURLInBrowser()
{
    openInBrowser(m_item.permaUrl());
}

void MediaItemFormController::openUserPageInBrowser()
{
    openInBrowser(m_item.userPermaUrl());
}

void MediaItemFormController::openLink(const QString& address)
{
    // Descriptions come from the services: no file, script or other scheme is followed.
    const QString scheme = QUrl(address).scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        openInBrowser(address);
}

void MediaItemFormController::bookmark()
{
    MainWindow* window = MainWindow::instance();
    if (!window)
        return;
    auto* dialog = new BookmarkDialog(window->bookmarksModel(), m_item.title(), m_item.permaUrl(),
        m_menuOwner ? m_menuOwner->window() : window, m_item.serviceName());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MediaItemFormController::setupMenus(QWidget* thumbnail, QWidget* userName)
{
    if (thumbnail) {
        thumbnail->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(thumbnail, &QWidget::customContextMenuRequested, this,
            &MediaItemFormController::mainContextMenuTriggered);
    }
    if (userName) {
        userName->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(userName, &QWidget::customContextMenuRequested, this,
            &MediaItemFormController::userNameContextMenuTriggered);
    }
}

QAction* MediaItemFormController::addAction(
    QMenu* menu, const char* name, const QString& text, void (MediaItemFormController::*slot)())
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
}

QMenu* MediaItemFormController::mainMenu()
{
    if (m_mainMenu)
        return m_mainMenu.get();
    m_mainMenu = std::make_unique<QMenu>();
    QMenu* menu = m_mainMenu.get();
    menu->setObjectName(QStringLiteral("mediaMenu"));
    menu->setAccessibleName(tr("Media actions"));
    addAction(menu, "openInNewTab", tr("Open video in new tab"),
        &MediaItemFormController::openMediaPageInNewTab);
    addAction(menu, "openInBrowser", tr("Open video in web browser"),
        &MediaItemFormController::openMediaURLInBrowser);
    addAction(menu, "copyMediaURL", tr("Copy video URL to clipboard"),
        &MediaItemFormController::copyMediaURLToClipboard);
    addAction(menu, "bookmark", tr("Bookmark video"), &MediaItemFormController::bookmark);
    menu->addSeparator();
    m_videoAction = addAction(menu, "downloadAsVideo", tr("Download as video"),
        &MediaItemFormController::downloadAsVideo);
    m_audioAction = addAction(menu, "downloadAsAudio", tr("Download as audio"),
        &MediaItemFormController::downloadAsAudio);
    menu->addSeparator();
    m_cancelAction = addAction(
        menu, "cancelDownload", tr("Cancel download"), &MediaItemFormController::cancelDownload);
    m_showFileAction = addAction(menu, "showDownloadedFile", tr("Show downloaded file"),
        &MediaItemFormController::showDownloadedFile);
    applyActionStates();
    return menu;
}

QMenu* MediaItemFormController::userNameMenu()
{
    if (m_userMenu)
        return m_userMenu.get();
    m_userMenu = std::make_unique<QMenu>();
    QMenu* menu = m_userMenu.get();
    menu->setObjectName(QStringLiteral("userMenu"));
    menu->setAccessibleName(tr("User actions"));
    addAction(menu, "openUserInNewTab", tr("Open user channel in new tab"),
        &MediaItemFormController::openUserPageInNewTab);
    addAction(menu, "openUserInBrowser", tr("Open user channel in browser"),
        &MediaItemFormController::openUserPageInBrowser);
    addAction(menu, "copyUserURL", tr("Copy user channel URL to clipboard"),
        &MediaItemFormController::copyUserPageURLToClipboard);
    // Without a user page there is nothing to open or copy.
    menu->setEnabled(!m_item.userPermaUrl().isEmpty());
    return menu;
}

void MediaItemFormController::applyActionStates()
{
    if (!m_mainMenu)
        return;
    m_showFileAction->setEnabled(m_canShowFile);
    m_cancelAction->setEnabled(m_canCancel);
    m_audioAction->setEnabled(m_canDownloadAudio);
    m_videoAction->setEnabled(m_canDownloadVideo);
}

void MediaItemFormController::mainContextMenuTriggered(const QPoint& position)
{
    popUp(mainMenu(), position);
}

void MediaItemFormController::userNameContextMenuTriggered(const QPoint& position)
{
    popUp(userNameMenu(), position);
}

void MediaItemFormController::popUp(QMenu* menu, const QPoint& position)
{
    auto* owner = qobject_cast<QWidget*>(sender());
    m_menuOwner = owner;
    menu->popup(owner ? owner->mapToGlobal(position) : position);
}

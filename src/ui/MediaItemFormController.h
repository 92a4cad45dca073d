#pragma once

#include "app/MediaDescriptor.h"
#include "download/ProcessingStates.h"
#include "services/MediaItem.h"

#include <QObject>
#include <QPointer>

#include <memory>

class ProcessingElement;
class QAction;
class QMenu;
class QMouseEvent;
class QWidget;

// What a feed's card and list row of one item share: the item's context menus, its downloads
// through the main window, and the download job it follows, whose state decides which menu
// entries are enabled. One per item and page; the forms only show what it reports.
class MediaItemFormController : public QObject
{
    Q_OBJECT
public:
    MediaItemFormController(const MediaItem& item, QObject* parent = nullptr);
    ~MediaItemFormController() override;

    const MediaItem& mediaItem() const { return m_item; }
    ProcessingStates::States state() const { return m_state; }
    // The followed job's last reported percentage.
    int progress() const { return m_progress; }
    QString errorText() const { return m_errorText; }
    // The job being followed; null when there is none or it was removed.
    ProcessingElement* processingElement() const;

    void startDownload(MediaDescriptor::MediaType type);
    // Follows the job the window already has for the item's page, so that a view made later
    // (paging back) shows the download's state.
    void connectToExistingDownload();
    // Installs the main menu on the thumbnail and the user menu on the name; either may be null.
    void setupMenus(QWidget* thumbnail, QWidget* userName);
    // Made on first use: a feed page shows many items and few menus.
    QMenu* mainMenu();
    QMenu* userNameMenu();

signals:
    void stateChanged(ProcessingStates::States state);
    void processingElementAvailable();
    void progressUpdate(int percent);
    void imageLoaded();

public slots:
    void connectToProcessingElement(ProcessingElement* job);
    void addToDownloadQueue();
    void onProcessingStateChanged(ProcessingStates::States state);
    void mediaImageClicked(QMouseEvent* event);
    void nameLabelClicked(QMouseEvent* event);
    void play();
    void downloadAsAudio();
    void downloadAsVideo();
    void openMediaPageInNewTab();
    void copyMediaURLToClipboard();
    void openMediaURLInBrowser();
    void showDownloadedFile();
    void bookmark();
    void cancelDownload();
    void onError(const QString& errorString);
    void onProgressUpdate(int percent);
    void openUserPageInNewTab();
    void openUserPageInBrowser();
    void copyUserPageURLToClipboard();
    void mainContextMenuTriggered(const QPoint& position);
    void userNameContextMenuTriggered(const QPoint& position);
    // A link of the description: web addresses open in the browser, anything else is ignored.
    void openLink(const QString& address);

private:
    // Whether the item's service offers audio only; "known" is false when the service cannot be
    // found (no window, no registry, no such plugin).
    bool isServiceAudioOnly(bool* known = nullptr) const;
    bool isDownloadable() const { return !m_item.isStreamingNow(); }
    void applyActionStates();
    QAction* addAction(QMenu* menu, const char* name, const QString& text,
        void (MediaItemFormController::*slot)());
    void popUp(QMenu* menu, const QPoint& position);
    // 1 (list) when the menu was opened from a list row, else 0 (thumbnails).
    int viewModeOfMenuOwner() const;
    void openInNewTab(const QString& address);

    MediaItem m_item;
    QPointer<ProcessingElement> m_job;
    QString m_errorText;
    ProcessingStates::States m_state = ProcessingStates::None;
    int m_progress = 0;
    // What the state allows; the menu's actions follow them once the menu exists.
    bool m_canShowFile = false;
    bool m_canCancel = false;
    bool m_canDownloadAudio = true;
    bool m_canDownloadVideo = true;
    // Top-level menus: a QObject cannot be their parent.
    std::unique_ptr<QMenu> m_mainMenu;
    std::unique_ptr<QMenu> m_userMenu;
    // The widget the last menu was opened on.
    QPointer<QWidget> m_menuOwner;
    QAction* m_showFileAction = nullptr;
    QAction* m_cancelAction = nullptr;
    QAction* m_audioAction = nullptr;
    QAction* m_videoAction = nullptr;
};

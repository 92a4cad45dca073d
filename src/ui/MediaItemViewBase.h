#pragma once

#include "download/ProcessingStates.h"

#include <QPixmap>
#include <QWidget>

class FormHelper;
class KQOverlayLabel;
class MediaItem;
class MediaItemFormController;
class QUrl;

// What a media item's card, list row and page header have in common: the thumbnail overlay,
// its picture loaded in the background, and the overlay following the controller's download
// state and progress.
class MediaItemViewBase : public QWidget
{
    Q_OBJECT
public:
    MediaItemFormController* controller() const { return m_controller; }
    KQOverlayLabel* overlay() const { return m_overlay; }
    // The picture (or the fallback picture) is shown.
    bool isImageLoaded() const { return m_imageLoaded; }

    // The picture every view shows when an item has none or it cannot be loaded.
    static QPixmap fallbackPicture();

public slots:
    // Asynchronous; a picture that cannot be loaded gives the fallback picture.
    void loadImage();
    // Lets go of the decoded picture while the view is out of sight, and loads it again (from
    // the disk cache) when it is back.
    void releasePicture();
    void restorePicture();
    void onDownloadProgressUpdate(int percent);
    void onProcessingStateChanged(ProcessingStates::States state);
    void connectToExistingDownloads();
    void onImageLoaded(const QPixmap& picture);
    // Plays the item without downloading it.
    void on_playButton_clicked();

protected:
    MediaItemViewBase(MediaItemFormController* controller, QWidget* parent);

    const MediaItem& item() const;
    // Makes the thumbnail overlay of a card or row, wired to the controller, with the menus on
    // it and on the name label.
    KQOverlayLabel* createOverlay(QWidget* nameLabel);
    virtual QUrl pictureAddress() const;
    virtual void showPicture(const QPixmap& picture);

private:
    MediaItemFormController* m_controller;
    KQOverlayLabel* m_overlay = nullptr;
    FormHelper* m_imageLoader = nullptr;
    bool m_imageLoaded = false;
    bool m_pictureReleased = false;
};

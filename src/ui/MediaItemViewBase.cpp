#include "MediaItemViewBase.h"

#include "KQOverlayLabel.h"
#include "MediaItemFormController.h"
#include "MediaTexts.h"

#include "services/FormHelper.h"

#include <QMouseEvent>
#include <QUrl>

namespace {
// Big enough for the page header; cards scale it down from here, not from the full size.
constexpr int kFallbackHeight = 250;
} // namespace

MediaItemViewBase::MediaItemViewBase(MediaItemFormController* controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    setAccessibleName(controller->mediaItem().title());
    connect(controller, &MediaItemFormController::stateChanged, this,
        &MediaItemViewBase::onProcessingStateChanged);
    connect(controller, &MediaItemFormController::progressUpdate, this,
        &MediaItemViewBase::onDownloadProgressUpdate);
}

const MediaItem& MediaItemViewBase::item() const
{
    return m_controller->mediaItem();
}

QPixmap MediaItemViewBase::fallbackPicture()
{
    // An image: a static pixmap would outlive the application object.
    static const QImage picture = QImage(FormHelper::fallbackImagePath())
                                      .scaledToHeight(kFallbackHeight, Qt::SmoothTransformation);
    return QPixmap::fromImage(picture);
}

KQOverlayLabel* MediaItemViewBase::createOverlay(QWidget* nameLabel)
{
    m_overlay = new KQOverlayLabel(this);
    m_overlay->setObjectName(QStringLiteral("imageLabel"));
    m_overlay->setAccessibleName(item().title());
    m_overlay->setOverlaySize(QSize(320, 180));
    m_overlay->setPadding(1);
    m_overlay->setText(QStringLiteral("..."));
    if (item().isStreamingNow()) {
        m_overlay->setEnabled(false);
        m_overlay->setMessageText(tr("Currently streaming"));
    } else {
        m_overlay->setHasHD(item().hasHD());
        m_overlay->setDurationText(MediaTexts::duration(item().durationSeconds()));
    }
    m_controller->setupMenus(m_overlay, nameLabel);
    connect(m_overlay, &KQOverlayLabel::downloadButtonClicked, m_controller,
        &MediaItemFormController::addToDownloadQueue);
    connect(m_overlay, &KQOverlayLabel::clicked, m_controller,
        &MediaItemFormController::mediaImageClicked);
    if (auto* name = qobject_cast<KQLabel*>(nameLabel))
        connect(name, &KQLabel::clicked, m_controller, &MediaItemFormController::nameLabelClicked);
    return m_overlay;
}

QUrl MediaItemViewBase::pictureAddress() const
{
    return QUrl(item().thumbUrl());
}

void MediaItemViewBase::loadImage()
{
    const QUrl address = pictureAddress();
    if (!address.isValid() || address.isRelative()) {
        onImageLoaded(fallbackPicture());
        return;
    }
    if (!m_imageLoader) {
        m_imageLoader = new FormHelper(this);
        connect(m_imageLoader, &FormHelper::finished, this,
            [this](const QImage& image) { onImageLoaded(QPixmap::fromImage(image)); });
    }
    m_imageLoader->loadImage(address);
}

void MediaItemViewBase::onImageLoaded(const QPixmap& picture)
{
    if (!m_pictureReleased)
        showPicture(picture.isNull() ? fallbackPicture() : picture);
    m_imageLoaded = true;
    emit m_controller->imageLoaded();
}

void MediaItemViewBase::showPicture(const QPixmap& picture)
{
    m_overlay->setPixmap(picture);
}

void MediaItemViewBase::releasePicture()
{
    if (m_pictureReleased)
        return;
    m_pictureReleased = true;
    m_overlay->setPixmap(QPixmap());
}

void MediaItemViewBase::restorePicture()
{
    if (!m_pictureReleased)
        return;
    m_pictureReleased = false;
    // A picture still on its way shows when it comes.
    if (m_imageLoaded)
        loadImage();
}

void MediaItemViewBase::onProcessingStateChanged(ProcessingStates::States state)
{
    if (state == ProcessingStates::Error)
        m_overlay->setErrorText(m_controller->errorText());
    m_overlay->setProgress(m_controller->progress());
    m_overlay->setState(state);
}

void MediaItemViewBase::onDownloadProgressUpdate(int percent)
{
    m_overlay->setProgress(percent);
}

void MediaItemViewBase::on_playButton_clicked()
{
    m_controller->play();
}

void MediaItemViewBase::connectToExistingDownloads()
{
    m_controller->connectToExistingDownload();
    // A controller shared with the other view may follow a job already.
    if (m_controller->state() != ProcessingStates::None)
        onProcessingStateChanged(m_controller->state());
}

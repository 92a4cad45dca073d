#include "MediaItemForm.h"

#include "KQOverlayLabel.h"
#include "MediaItemFormController.h"
#include "MediaItemParts.h"
#include "MediaTexts.h"
#include "RatingWidget.h"

#include <QHBoxLayout>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

MediaItemForm::MediaItemForm(MediaItemFormController* controller, QWidget* parent)
    : MediaItemViewBase(controller, parent)
{
    setObjectName(QStringLiteral("MediaItemForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* imageForm = new QWidget(this);
    imageForm->setObjectName(QStringLiteral("imageForm"));
    auto* imageLayout = new QVBoxLayout(imageForm);
    imageLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(imageForm);

    auto* titleContainer = new QWidget(this);
    titleContainer->setObjectName(QStringLiteral("titleContainer"));
    auto* titleLayout = new QHBoxLayout(titleContainer);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    auto* title = MediaItemParts::titleLabel(item(), 320 - 26, titleContainer);
    titleLayout->addWidget(title, 1);
    auto* play = MediaItemParts::playButton(titleContainer);
    titleLayout->addWidget(play);
    connect(play, &QToolButton::clicked, this, &MediaItemViewBase::on_playButton_clicked);
    layout->addWidget(titleContainer);

    auto* linksContainer = new QWidget(this);
    linksContainer->setObjectName(QStringLiteral("linksContainer"));
    auto* links = new QHBoxLayout(linksContainer);
    links->setContentsMargins(0, 0, 0, 0);
    links->setSpacing(4);
    KQLabel* name = MediaItemParts::userLabel(item(), QStringLiteral("nameLabel"), linksContainer);
    links->addWidget(name);
    auto* time = new QLabel(linksContainer);
    time->setObjectName(QStringLiteral("timeLabel"));
    links->addWidget(time);
    links->addStretch(1);
    MediaItemParts::addRatingAndLikes(
        item(), QColor(QStringLiteral("#505050")), links, linksContainer);
    layout->addWidget(linksContainer);

    imageLayout->addWidget(createOverlay(name));
    if (!item().isStreamingNow())
        time->setText(QStringLiteral("| ") + MediaTexts::relativeDate(item().isoDate()));
    setFixedWidth(320);

    QTimer::singleShot(0, this, &MediaItemForm::loadImage);
    connectToExistingDownloads();
}

#include "MediaItemListForm.h"

#include "KQLabel.h"
#include "KQOverlayLabel.h"
#include "MediaItemFormController.h"
#include "MediaItemParts.h"
#include "MediaTexts.h"

#include <QHBoxLayout>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The row is as high as its picture; more of a long description would be cut off anyway.
constexpr int kDescriptionLength = 400;
constexpr int kTextWidth = 480;

QLabel* infoLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setVisible(!text.isEmpty());
    return label;
}

} // namespace

MediaItemListForm::MediaItemListForm(MediaItemFormController* controller, QWidget* parent)
    : MediaItemViewBase(controller, parent)
{
    setObjectName(QStringLiteral("MediaItemListForm"));
    const MediaItem& media = item();
    const bool live = media.isStreamingNow();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* texts = new QWidget(this);
    texts->setObjectName(QStringLiteral("textContainer"));
    auto* column = new QVBoxLayout(texts);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(MediaItemParts::titleLabel(media, kTextWidth, texts), 1);
    auto* play = MediaItemParts::playButton(texts);
    connect(play, &QToolButton::clicked, this, &MediaItemViewBase::on_playButton_clicked);
    titleRow->addWidget(play);
    column->addLayout(titleRow);

    auto* details = new QHBoxLayout;
    details->setSpacing(8);
    KQLabel* user = MediaItemParts::userLabel(media, QStringLiteral("userNameLabel"), texts);
    details->addWidget(user);
    details->addWidget(
        infoLabel("uploaded", live ? QString() : MediaTexts::relativeDate(media.isoDate()), texts));
    details->addWidget(infoLabel("views",
        media.views() >= 1
            //: Number of times a video has been viewed
            ? tr("%Ln views", nullptr, media.views())
            : QString(),
        texts));
    details->addWidget(infoLabel(
        "duration", live ? QString() : MediaTexts::duration(media.durationSeconds()), texts));
    details->addWidget(infoLabel("videoOptions", media.hasHD() ? tr("HD") : QString(), texts));
    MediaItemParts::addRatingAndLikes(media, QColor(QStringLiteral("#505050")), details, texts);
    details->addStretch(1);
    column->addLayout(details);

    auto* description = new QLabel(texts);
    description->setObjectName(QStringLiteral("descriptionLabel"));
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description->setTextFormat(Qt::RichText);
    const QString text = media.description().isEmpty()
        ? QString()
        : MediaTexts::richDescription(MediaTexts::elide(media.description(), kDescriptionLength));
    description->setText(QStringLiteral("<html><head><style type=text/css>a {color:#000000; "
                                        "text-decoration:underline;} </style></head><body>")
        + text + QStringLiteral("</body></html>"));
    connect(description, &QLabel::linkActivated, controller, &MediaItemFormController::openLink);
    column->addWidget(description, 1);

    layout->addWidget(createOverlay(user), 0, Qt::AlignTop);
    layout->addWidget(texts, 1);
    setFixedHeight(180);

    QTimer::singleShot(0, this, &MediaItemListForm::loadImage);
    connectToExistingDownloads();
}

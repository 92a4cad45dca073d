#include "MediaTopForm.h"

#include "KQLabel.h"
#include "KQOverlayLabel.h"
#include "MainWindow.h"
#include "MediaItemFormController.h"
#include "MediaItemParts.h"
#include "MediaTexts.h"
#include "RatingWidget.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString descriptionStyle(int padding)
{
    return QStringLiteral("font-size:12px; padding-right:%1px;").arg(padding);
}

QLabel* valueLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

MediaTopForm::MediaTopForm(const MediaItem& item, QWidget* parent)
    : MediaItemViewBase(new MediaItemFormController(item, nullptr), parent)
    , m_scrollBarWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent))
{
    controller()->setParent(this);
    setObjectName(QStringLiteral("mediaTopForm"));
    setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* info = buildInfo();
    KQOverlayLabel* picture = createOverlay(m_uploader);
    picture->setPadding(0);
    picture->setDecorationsEnabled(false);
    picture->setOverlaySize(QSize(400, maximumPictureHeight()));
    picture->setText(tr("Loading..."));
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addWidget(info, 1);

    // The page is open already: a click on its picture plays the item instead.
    disconnect(picture, &KQOverlayLabel::clicked, controller(),
        &MediaItemFormController::mediaImageClicked);
    connect(picture, &KQOverlayLabel::clicked, this, &MediaTopForm::playInContainer);
    controller()->setupMenus(this, nullptr);
    connect(m_download, &QPushButton::clicked, controller(),
        &MediaItemFormController::addToDownloadQueue);
    connect(m_play, &QPushButton::clicked, this, &MediaTopForm::playInContainer);
    connect(
        controller(), &MediaItemFormController::stateChanged, this, &MediaTopForm::onStateChanged);
    connect(m_description, &KQLabel::mouseOver, this, &MediaTopForm::descriptionMouseOver);
    connect(m_description, &KQLabel::mouseOut, this, &MediaTopForm::descriptionMouseOut);
    connect(
        m_description, &QLabel::linkActivated, controller(), &MediaItemFormController::openLink);
    populate();
}

QWidget* MediaTopForm::buildInfo()
{
    m_info = new QWidget(this);
    m_info->setObjectName(QStringLiteral("infoContainer"));
    auto* column = new QVBoxLayout(m_info);
    column->setContentsMargins(10, 6, 10, 6);

    m_title = valueLabel("titleLabel", m_info);
    m_title->setStyleSheet(QStringLiteral("font-size:14px;\nfont-weight:bold;"));
    m_title->setWordWrap(true);
    column->addWidget(m_title);

    m_rows = new QFormLayout;
    m_rows->setObjectName(QStringLiteral("infoRows"));
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setVerticalSpacing(2);
    column->addLayout(m_rows);
    m_uploader = new KQLabel(m_info);
    m_uploader->setObjectName(QStringLiteral("uploader"));
    addInfoRow("userNameLabel", tr("Uploader"), m_uploader);
    m_published = valueLabel("published", m_info);
    addInfoRow("publishedLabel", tr("Publish date"), m_published);
    m_views = valueLabel("views", m_info);
    addInfoRow("viewsLabel", tr("Views"), m_views);
    m_likes = valueLabel("likes", m_info);
    addInfoRow("likesIcon", tr("Likes"), m_likes);
    m_rating = new RatingWidget(m_info);
    m_rating->setObjectName(QStringLiteral("rating"));
    m_rating->setColor(QColor(QStringLiteral("#DDDDDD")));
    addInfoRow("ratingIcon", tr("Rating"), m_rating);
    m_options = valueLabel("videoOptions", m_info);
    addInfoRow("videoOptionsLabel", tr("Media Options"), m_options);
    m_duration = valueLabel("duration", m_info);
    addInfoRow("durationLabel", tr("Duration"), m_duration);

    m_descriptionArea = new QScrollArea(m_info);
    m_descriptionArea->setObjectName(QStringLiteral("descriptionScrollArea"));
    m_descriptionArea->setWidgetResizable(true);
    m_descriptionArea->setFrameShape(QFrame::NoFrame);
    m_descriptionArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_description = new KQLabel(m_descriptionArea);
    m_description->setObjectName(QStringLiteral("descriptionLabel"));
    m_description->setWordWrap(true);
    m_description->setTextFormat(Qt::RichText);
    m_description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_description->setStyleSheet(descriptionStyle(m_scrollBarWidth));
    m_description->setAccessibleName(tr("Description"));
    m_descriptionArea->setWidget(m_description);
    column->addWidget(m_descriptionArea, 1);

    auto* buttons = new QHBoxLayout;
    m_download = new QPushButton(tr("Download"), m_info);
    m_download->setObjectName(QStringLiteral("downloadButton"));
    m_download->setToolTip(tr("Download"));
    buttons->addWidget(m_download);
    m_play = new QPushButton(tr("Play"), m_info);
    m_play->setObjectName(QStringLiteral("playButton"));
    buttons->addWidget(m_play);
    buttons->addStretch(1);
    column->addLayout(buttons);
    return m_info;
}

void MediaTopForm::addInfoRow(const char* captionName, const QString& caption, QWidget* value)
{
    auto* label = new QLabel(caption, m_info);
    label->setObjectName(QLatin1String(captionName));
    label->setBuddy(value);
    value->setAccessibleName(caption);
    m_rows->addRow(label, value);
}

void MediaTopForm::showInfoRow(QWidget* value, bool shown)
{
    m_rows->setRowVisible(value, shown);
}

QMenu* MediaTopForm::contextMenu() const
{
    return controller()->mainMenu();
}

void MediaTopForm::populate()
{
    const MediaItem& media = item();
    m_description->setText(QStringLiteral("<html><head><style type=text/css>a:link {color:#444444; "
                                          "text-decoration:underline} </style></head><body>")
        + (media.description().isEmpty() ? QString()
                                         : MediaTexts::richDescription(media.description()))
        + QStringLiteral("</body></html>"));

    m_published->setText(MediaTexts::relativeDate(media.isoDate()));
    showInfoRow(m_published, !media.isoDate().isEmpty());
    m_views->setText(MediaItemParts::count(media.views()));
    showInfoRow(m_views, media.views() >= 1);
    m_rating->setRating(RatingWidget::roundedRating(media.rating()));
    showInfoRow(m_rating, media.rating() >= 0);
    m_options->setText(media.hasHD() ? tr("HD") : QString());
    showInfoRow(m_options, media.hasHD());
    m_likes->setText(MediaItemParts::count(media.likes()));
    showInfoRow(m_likes, media.likes() >= 1);

    m_title->setText(media.title());
    m_title->setToolTip(media.title());
    m_duration->setText(
        media.isStreamingNow() ? QString() : MediaTexts::duration(media.durationSeconds()));
    showInfoRow(m_duration, !m_duration->text().isEmpty());

    const QString user
        = media.userDisplayName().isEmpty() ? media.userName() : media.userDisplayName();
    m_uploader->setText(user);
    if (media.userPermaUrl().isEmpty()) {
        // Nothing to open: the name is no link.
        m_uploader->setStyleSheet(QStringLiteral("font-weight:bold; text-decoration: none;"));
        m_uploader->setCursor(Qt::ArrowCursor);
    } else {
        m_uploader->setStyleSheet(QStringLiteral("font-weight:bold; text-decoration: underline;"));
        m_uploader->setCursor(Qt::PointingHandCursor);
    }
    m_uploader->setFixedWidth(std::max(100, m_uploader->fontMetrics().horizontalAdvance(user) + 4));
    showInfoRow(m_uploader, !user.isEmpty());

    m_download->setEnabled(!media.isStreamingNow());
    // Later, so that whoever made the form hears formLoaded() even for the fallback picture.
    QTimer::singleShot(0, this, &MediaTopForm::loadImage);
}

QUrl MediaTopForm::pictureAddress() const
{
    const QUrl large(item().hdThumbUrl());
    return large.isValid() && !large.isRelative() ? large : QUrl(item().thumbUrl());
}

void MediaTopForm::showPicture(const QPixmap& picture)
{
    const QPixmap shown = picture.height() > maximumPictureHeight()
        ? picture.scaledToHeight(maximumPictureHeight(), Qt::SmoothTransformation)
        : picture;
    KQOverlayLabel* label = overlay();
    label->setDecorationsEnabled(false);
    label->setHasHD(false);
    label->setDurationText(QString());
    label->setOverlaySize(shown.size());
    label->setPixmap(shown);
    setFixedHeight(std::max(shown.height() + 1, m_info->minimumSizeHint().height()));
    connectToExistingDownloads();
    emit formLoaded();
}

void MediaTopForm::playInContainer()
{
    controller()->play();
}

void MediaTopForm::onStateChanged(ProcessingStates::States state)
{
    m_download->setEnabled(!item().isStreamingNow() && KQOverlayLabel::offersDownload(state));
}

// The text keeps its place whether or not the bar shows: the bar's width is padding until the
// mouse is over the description.
void MediaTopForm::descriptionMouseOver()
{
    m_descriptionArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (m_descriptionArea->verticalScrollBar()->isVisible())
        m_description->setStyleSheet(descriptionStyle(0));
}

void MediaTopForm::descriptionMouseOut()
{
    m_descriptionArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_description->setStyleSheet(descriptionStyle(m_scrollBarWidth));
}

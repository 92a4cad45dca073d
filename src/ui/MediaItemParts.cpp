#include "MediaItemParts.h"

#include "KQLabel.h"
#include "RatingWidget.h"

#include "services/MediaItem.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QIcon>
#include <QToolButton>

namespace {

QString tr(const char* text, int count = -1)
{
    return QCoreApplication::translate("MediaItemParts", text, nullptr, count);
}

} // namespace

namespace MediaItemParts {

QLabel* titleLabel(const MediaItem& item, int width, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("titleLabel"));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setText(QFontMetrics(font).elidedText(item.title(), Qt::ElideRight, width - 10));
    label->setToolTip(item.title());
    label->setAccessibleName(item.title());
    return label;
}

QToolButton* playButton(QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("playButton"));
    button->setIcon(QIcon(QStringLiteral(":/images/resources/images/mediaform-play.png")));
    button->setAutoRaise(true);
    button->setToolTip(tr("Play"));
    button->setAccessibleName(tr("Play"));
    return button;
}

KQLabel* userLabel(const MediaItem& item, const QString& objectName, QWidget* parent)
{
    auto* label = new KQLabel(parent);
    label->setObjectName(objectName);
    const QString name
        = item.userDisplayName().isEmpty() ? item.userName() : item.userDisplayName();
    label->setText(name);
    label->setToolTip(name);
    label->setAccessibleName(tr("Uploader %1").arg(name));
    if (!item.userPermaUrl().isEmpty())
        label->setCursor(Qt::PointingHandCursor);
    return label;
}

void addRatingAndLikes(
    const MediaItem& item, const QColor& dotColor, QBoxLayout* layout, QWidget* parent)
{
    auto* rating = new RatingWidget(parent);
    rating->setObjectName(QStringLiteral("rating"));
    rating->setColor(dotColor);
    rating->setRating(RatingWidget::roundedRating(item.rating()));
    rating->setVisible(!item.isStreamingNow() && rating->rating() > 0);
    layout->addWidget(rating);

    auto* likesIcon = new QLabel(parent);
    likesIcon->setObjectName(QStringLiteral("likesIcon"));
    likesIcon->setPixmap(QPixmap(QStringLiteral(":/images/resources/images/mediaform-likes.png")));
    auto* likes = new QLabel(count(item.likes()), parent);
    likes->setObjectName(QStringLiteral("likes"));
    likes->setAccessibleName(tr("%Ln likes", item.likes()));
    const bool showLikes = !item.isStreamingNow() && item.likes() >= 1;
    likesIcon->setVisible(showLikes);
    likes->setVisible(showLikes);
    layout->addWidget(likesIcon);
    layout->addWidget(likes);
}

QString count(int number)
{
    return QStringLiteral("%L1").arg(number);
}

} // namespace MediaItemParts

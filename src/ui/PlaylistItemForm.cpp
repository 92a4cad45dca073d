#include "PlaylistItemForm.h"

#include "KQLabel.h"
#include "MainWindow.h"
#include "MediaTexts.h"

#include "app/WebAddress.h"
#include "services/FormHelper.h"

#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr QSize pictureSize(120, 68);
constexpr int nameLength = 22;

} // namespace

PlaylistItemForm::PlaylistItemForm(const PlaylistItem& playlist, QWidget* parent)
    : QWidget(parent)
    , m_playlist(playlist)
    , m_imageLabel(new KQLabel(this))
    , m_nameLabel(new QLabel(MediaTexts::elide(playlist.name(), nameLength), this))
    , m_menu(new QMenu(this))
{
    setObjectName(QStringLiteral("PlaylistItemForm"));
    setAccessibleName(playlist.name());
    m_imageLabel->setObjectName(QStringLiteral("imageLabel"));
    m_imageLabel->setText(QStringLiteral("(%1)").arg(playlist.itemCount()));
    m_imageLabel->setToolTip(tr("Playlist") + QStringLiteral(": ") + playlist.name());
    m_imageLabel->setAccessibleName(playlist.name());
    m_imageLabel->setAlignment(Qt::AlignCenter);
    m_imageLabel->setFixedSize(pictureSize);
    m_imageLabel->setCursor(Qt::PointingHandCursor);
    m_imageLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    setBorderColour("#CCCCCC");
    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setToolTip(playlist.name());
    m_nameLabel->setFixedWidth(pictureSize.width());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 6, 0);
    layout->setSpacing(2);
    layout->addWidget(m_imageLabel);
    layout->addWidget(m_nameLabel);
    layout->addStretch();

    m_menu->setObjectName(QStringLiteral("playlistMenu"));
    m_menu->setAccessibleName(tr("Playlist actions"));
    QAction* newTab = m_menu->addAction(tr("Open playlist in new tab"));
    newTab->setObjectName(QStringLiteral("openInNewTab"));
    QAction* browser = m_menu->addAction(tr("Show playlist in browser"));
    browser->setObjectName(QStringLiteral("showListInBrowser"));
    // A playlist without an address has nowhere to go.
    const bool addressed = WebAddress::isValid(QUrl(playlist.permaUrl()));
    newTab->setEnabled(addressed);
    browser->setEnabled(addressed);
    connect(newTab, &QAction::triggered, this, &PlaylistItemForm::openInNewTab);
    connect(browser, &QAction::triggered, this, &PlaylistItemForm::showListInBrowser);

    connect(m_imageLabel, &KQLabel::clicked, this, &PlaylistItemForm::imageClicked);
    connect(m_imageLabel, &KQLabel::mouseOver, this, &PlaylistItemForm::onImageMouseOver);
    connect(m_imageLabel, &KQLabel::mouseOut, this, &PlaylistItemForm::onImageMouseOut);
    connect(m_imageLabel, &QWidget::customContextMenuRequested, this,
        &PlaylistItemForm::contextMenuTriggered);
    // The row of tiles shows before the pictures come in.
    QTimer::singleShot(0, this, &PlaylistItemForm::loadImage);
}

void PlaylistItemForm::setBorderColour(const char* colour)
{
    m_imageLabel->setStyleSheet(
        QStringLiteral("#imageLabel {    color: rgb(150, 150, 150);   background-color:#000000;   "
                       "border: 1px solid %1;font-size:10px;font-weight:bold;}")
            .arg(QLatin1String(colour)));
}

void PlaylistItemForm::onImageMouseOver()
{
    setBorderColour("#555555");
}

void PlaylistItemForm::onImageMouseOut()
{
    setBorderColour("#CCCCCC");
}

void PlaylistItemForm::loadImage()
{
    const QUrl address(m_playlist.thumbUrl());
    if (!WebAddress::isValid(address))
        return;
    auto* images = new FormHelper(this);
    connect(images, &FormHelper::finished, this, &PlaylistItemForm::onImageLoaded);
    connect(images, &FormHelper::finished, images, &QObject::deleteLater);
    images->loadImage(address);
}

void PlaylistItemForm::onImageLoaded(const QImage& image)
{
    if (image.isNull())
        return;
    m_imageLabel->setPixmap(QPixmap::fromImage(
        image.scaled(pictureSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
            .copy(QRect(QPoint(0, 0), pictureSize))));
}

void PlaylistItemForm::imageClicked(QMouseEvent* event)
{
    // The right button brings up the menu instead.
    if (event->button() == Qt::LeftButton)
        openPage(false);
}

void PlaylistItemForm::contextMenuTriggered(const QPoint& position)
{
    m_menu->popup(m_imageLabel->mapToGlobal(position));
}

void PlaylistItemForm::openInNewTab()
{
    openPage(true);
}

void PlaylistItemForm::showListInBrowser()
{
    const QUrl address(m_playlist.permaUrl());
    if (WebAddress::isValid(address))
        QDesktopServices::openUrl(address);
}

void PlaylistItemForm::openPage(bool newTab) const
{
    MainWindow* window = MainWindow::instance();
    if (!window || !WebAddress::isValid(QUrl(m_playlist.permaUrl())))
        return;
    window->openAddress(m_playlist.permaUrl(), ExtraUrlData {}, m_playlist.name(), -1, newTab);
}

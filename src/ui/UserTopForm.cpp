#include "UserTopForm.h"

#include "KQLabel.h"
#include "MainWindow.h"
#include "MediaTexts.h"
#include "PlaylistItemForm.h"

#include "app/WebAddress.h"
#include "services/FormHelper.h"
#include "services/UserDataFetcher.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int pictureLabelHeight = 110;
constexpr int leftWidthBesidePlaylists = 350;
constexpr int leftWidthAlone = 16000;

QLabel* captionLabel(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setStyleSheet(QStringLiteral("color:#888888; font-size:11px;"));
    return label;
}

QLabel* valueLabel(const char* name, const QString& accessibleName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAccessibleName(accessibleName);
    // What the service says is shown as it is, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

UserTopForm::UserTopForm(UserDataFetcher* fetcher, const QString& pageAddress, QWidget* parent)
    : QWidget(parent)
    , m_fetcher(fetcher)
    , m_pageAddress(pageAddress)
    , m_scrollBarWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent))
{
    setObjectName(QStringLiteral("UserTopForm"));
    setAccessibleName(tr("User / Channel"));
    setAttribute(Qt::WA_StyledBackground, true);
    // The scroll areas would paint their viewports in the window's light base colour.
    setStyleSheet(QStringLiteral(
        "#UserTopForm {background-color:#2B2B2B} QLabel {color:#DDDDDD; background:transparent} "
        "QScrollArea, #leftContainer, #playlistContent "
        "{background:transparent}"));
    buildForm();
    buildMenu();
    setPlaylistRowVisible(false);

    connect(m_descriptionLabel, &KQLabel::mouseOver, this, &UserTopForm::descriptionLabelMouseOver);
    connect(m_descriptionLabel, &KQLabel::mouseOut, this, &UserTopForm::descriptionLabelMouseOut);
    connect(m_descriptionLabel, &QLabel::linkActivated, this, &UserTopForm::openLink);
    // The page has asked for the user already; whatever is in fills the form once whoever made
    // it has connected to formLoaded().
    connect(m_fetcher, &UserDataFetcher::userDataReady, this, &UserTopForm::populate);
    connect(m_fetcher, &UserDataFetcher::playlistsReady, this, &UserTopForm::populate);
    if (m_fetcher->userItem() || !m_fetcher->playlists().isEmpty())
        QMetaObject::invokeMethod(this, &UserTopForm::populate, Qt::QueuedConnection);
}

void UserTopForm::buildForm()
{
    m_leftContainer = new QWidget(this);
    m_leftContainer->setObjectName(QStringLiteral("leftContainer"));
    m_imageLabel = new QLabel(m_leftContainer);
    m_imageLabel->setObjectName(QStringLiteral("imageLabel"));
    m_imageLabel->setFixedHeight(pictureLabelHeight);
    m_imageLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_imageLabel->setText(tr("Loading..."));

    m_usernameLabel = valueLabel("usernameLabel", tr("User / Channel"), m_leftContainer);
    m_usernameLabel->setStyleSheet(QStringLiteral("font-size:14px; font-weight:bold;"));
    m_usernameLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    m_locationIcon = captionLabel(tr("Location"), "locationIcon", m_leftContainer);
    m_locationLabel = valueLabel("locationLabel", tr("Location"), m_leftContainer);
    m_subscribersIcon = captionLabel(tr("Subscribers"), "subscribersIcon", m_leftContainer);
    m_subscriberCountLabel = valueLabel("subscriberCountLabel", tr("Subscribers"), m_leftContainer);

    m_descriptionLabel = new KQLabel(this);
    m_descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    m_descriptionLabel->setAccessibleName(tr("Description"));
    m_descriptionLabel->setWordWrap(true);
    m_descriptionLabel->setTextFormat(Qt::RichText);
    m_descriptionLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    m_descriptionLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_descriptionLabel->setStyleSheet(restingDescriptionStyle());
    m_descriptionScrollArea = new QScrollArea(m_leftContainer);
    m_descriptionScrollArea->setObjectName(QStringLiteral("descriptionScrollArea"));
    m_descriptionScrollArea->setFrameShape(QFrame::NoFrame);
    m_descriptionScrollArea->setWidgetResizable(true);
    m_descriptionScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_descriptionScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_descriptionScrollArea->setWidget(m_descriptionLabel);
    m_descriptionScrollArea->viewport()->setAutoFillBackground(false);

    auto* facts = new QGridLayout;
    facts->addWidget(m_locationIcon, 0, 0);
    facts->addWidget(m_locationLabel, 0, 1);
    facts->addWidget(m_subscribersIcon, 1, 0);
    facts->addWidget(m_subscriberCountLabel, 1, 1);
    facts->setColumnStretch(1, 1);
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_usernameLabel);
    texts->addLayout(facts);
    texts->addWidget(m_descriptionScrollArea, 1);
    auto* left = new QHBoxLayout(m_leftContainer);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(m_imageLabel, 0, Qt::AlignTop);
    left->addLayout(texts, 1);

    m_playlistIcon = captionLabel(tr("Playlists"), "playlistIcon", this);
    m_playlistTriangleIcon = captionLabel(QStringLiteral("\u25B8"), "playlistTriangleIcon", this);
    m_playlistContainer = new QScrollArea(this);
    m_playlistContainer->setObjectName(QStringLiteral("playlistContainer"));
    m_playlistContainer->setAccessibleName(tr("Playlists"));
    m_playlistContainer->setFrameShape(QFrame::NoFrame);
    m_playlistContainer->setWidgetResizable(true);
    m_playlistContainer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_playlistContent = new QWidget(m_playlistContainer);
    m_playlistContent->setObjectName(QStringLiteral("playlistContent"));
    m_playlistContainer->setWidget(m_playlistContent);
    m_playlistContainer->viewport()->setAutoFillBackground(false);

    auto* playlistCaption = new QVBoxLayout;
    playlistCaption->addWidget(m_playlistIcon);
    playlistCaption->addWidget(m_playlistTriangleIcon, 0, Qt::AlignHCenter);
    playlistCaption->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_leftContainer, 1);
    layout->addLayout(playlistCaption);
    layout->addWidget(m_playlistContainer, 1);
    setMaximumHeight(pictureLabelHeight + 2 * layout->contentsMargins().top() + 40);
}

void UserTopForm::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("userNameMenu"));
    m_menu->setAccessibleName(tr("User actions"));
    const auto add = [this](const QString& text, const char* name, void (UserTopForm::*slot)()) {
        QAction* action = m_menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    add(tr("Open user channel in new tab"), "openUserPageInNewTab",
        &UserTopForm::openUserPageInNewTab);
    add(tr("Open user channel in browser"), "openUserPageInBrowser",
        &UserTopForm::openUserPageInBrowser);
    add(tr("Copy user channel URL to clipboard"), "copyUserPageURLToClipboard",
        &UserTopForm::copyUserPageURLToClipboard);
    connect(m_usernameLabel, &QWidget::customContextMenuRequested, this,
        &UserTopForm::contextMenuTriggered);
}

void UserTopForm::populate()
{
    if (!m_userShown && m_fetcher->userItem())
        showUser();
    if (!m_playlistsBuilt && !m_fetcher->playlists().isEmpty())
        buildPlaylists();
}

void UserTopForm::showUser()
{
    m_userShown = true;
    const UserItem& user = *m_fetcher->userItem();
    const bool located = !user.location().isEmpty();
    m_locationIcon->setVisible(located);
    m_locationLabel->setVisible(located);
    m_locationLabel->setText(user.location());
    m_usernameLabel->setText(user.userName());

    const int subscribers = user.subscriberCount();
    m_subscriberCountLabel->setText(
        subscribers >= 1 ? QStringLiteral("%L1").arg(subscribers) : tr("N/A"));
    // A negative count means the service does not tell.
    m_subscribersIcon->setVisible(subscribers >= 0);
    m_subscriberCountLabel->setVisible(subscribers >= 0);

    m_descriptionLabel->setText(
        QStringLiteral("<html><head><style type=text/css>a {color:#BBBBBB; "
                       "text-decoration:underline} a:hover {color:#FFFFFF} </style></head><body>")
        + MediaTexts::richDescription(user.summary()) + QStringLiteral("</body></html>"));

    const QUrl picture(user.imageUrl());
    if (!WebAddress::isValid(picture)) {
        m_imageLabel->clear();
        emit formLoaded();
        return;
    }
    auto* images = new FormHelper(this);
    connect(images, &FormHelper::finished, this, &UserTopForm::onImageLoaded);
    connect(images, &FormHelper::finished, images, &QObject::deleteLater);
    images->loadImage(picture);
}

void UserTopForm::onImageLoaded(const QImage& image)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    const int tallest = m_imageLabel->height() - 10;
    if (pixmap.height() > tallest)
        pixmap = pixmap.scaledToHeight(tallest, Qt::SmoothTransformation);
    m_imageLabel->setPixmap(pixmap);
    if (!pixmap.isNull())
        m_imageLabel->setMaximumSize(pixmap.size());
    emit formLoaded();
}

void UserTopForm::buildPlaylists()
{
    m_playlistsBuilt = true;
    auto* row = new QHBoxLayout(m_playlistContent);
    row->setContentsMargins(10, 0, 0, 0);
    row->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    for (const PlaylistItem& playlist : m_fetcher->playlists())
        row->addWidget(new PlaylistItemForm(playlist, m_playlistContent));
    setPlaylistRowVisible(true);
}

void UserTopForm::setPlaylistRowVisible(bool visible)
{
    m_leftContainer->setMaximumWidth(visible ? leftWidthBesidePlaylists : leftWidthAlone);
    m_playlistIcon->setVisible(visible);
    m_playlistTriangleIcon->setVisible(visible);
    m_playlistContainer->setVisible(visible);
}

QString UserTopForm::restingDescriptionStyle() const
{
    return QStringLiteral("padding-right:%1px; border:1px solid transparent").arg(m_scrollBarWidth);
}

// The padding keeps the text where it is when the scroll bar appears under the mouse.
void UserTopForm::descriptionLabelMouseOver()
{
    m_descriptionScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (m_descriptionScrollArea->verticalScrollBar()->maximum() > 0) {
        m_descriptionLabel->setStyleSheet(QStringLiteral(
            "padding-right:0px; background-color:#222222; border:1px solid #333333"));
    }
}

void UserTopForm::descriptionLabelMouseOut()
{
    m_descriptionScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_descriptionLabel->setStyleSheet(restingDescriptionStyle());
}

QString UserTopForm::userPageAddress() const
{
    const auto& user = m_fetcher->userItem();
    if (user && WebAddress::isValid(QUrl(user->permaUrl())))
        return user->permaUrl();
    return m_pageAddress;
}

void UserTopForm::openLink(const QString& link)
{
    // A description may carry any markup; only web addresses go to the browser.
    const QUrl address(link);
    if (WebAddress::isValid(address))
        QDesktopServices::openUrl(address);
}

void UserTopForm::contextMenuTriggered(const QPoint& position)
{
    m_menu->popup(m_usernameLabel->mapToGlobal(position));
}

void UserTopForm::openUserPageInNewTab()
{
    const auto& user = m_fetcher->userItem();
    if (MainWindow* window = MainWindow::instance()) {
        window->openAddress(
            userPageAddress(), ExtraUrlData {}, user ? user->userName() : QString(), -1, true);
    }
}

void UserTopForm::openUserPageInBrowser()
{
    const QUrl address(userPageAddress());
    if (WebAddress::isValid(address))
        QDesktopServices::openUrl(address);
}

void UserTopForm::copyUserPageURLToClipboard()
{
    QApplication::clipboard()->setText(userPageAddress());
}

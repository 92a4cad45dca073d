#pragma once

#include <QWidget>

class KQLabel;
class QHBoxLayout;
class QImage;
class QLabel;
class QMenu;
class QScrollArea;
class UserDataFetcher;

// The head of a user (channel) page: the user's picture, name, location, subscriber count and
// description, and a row of the user's playlists. Fills itself from the page's user fetcher as
// the user and the playlists arrive, in either order; formLoaded() follows once the picture is
// in place.
class UserTopForm : public QWidget
{
    Q_OBJECT
public:
    // The fetcher belongs to the page and outlives the form. The page address stands in for
    // the user's own address when the service gives none.
    UserTopForm(UserDataFetcher* fetcher, const QString& pageAddress, QWidget* parent = nullptr);

    QMenu* userNameMenu() const { return m_menu; }
    // The address the user-name menu opens and copies.
    QString userPageAddress() const;

signals:
    void formLoaded();

public slots:
    void populate();
    void contextMenuTriggered(const QPoint& position);
    void openUserPageInNewTab();
    void openUserPageInBrowser();
    void copyUserPageURLToClipboard();
    void openLink(const QString& link);

private slots:
    void descriptionLabelMouseOver();
    void descriptionLabelMouseOut();
    void onImageLoaded(const QImage& image);

private:
    void buildForm();
    void buildMenu();
    void showUser();
    void buildPlaylists();
    void setPlaylistRowVisible(bool visible);
    QString restingDescriptionStyle() const;

    UserDataFetcher* m_fetcher;
    QString m_pageAddress;
    int m_scrollBarWidth;
    bool m_userShown = false;
    bool m_playlistsBuilt = false;
    QWidget* m_leftContainer = nullptr;
    QLabel* m_imageLabel = nullptr;
    QLabel* m_usernameLabel = nullptr;
    QLabel* m_locationIcon = nullptr;
    QLabel* m_locationLabel = nullptr;
    QLabel* m_subscribersIcon = nullptr;
    QLabel* m_subscriberCountLabel = nullptr;
    QLabel* m_playlistIcon = nullptr;
    QLabel* m_playlistTriangleIcon = nullptr;
    QScrollArea* m_descriptionScrollArea = nullptr;
    KQLabel* m_descriptionLabel = nullptr;
    QScrollArea* m_playlistContainer = nullptr;
    QWidget* m_playlistContent = nullptr;
    QMenu* m_menu = nullptr;
};

#pragma once

#include "services/PlaylistItem.h"

#include <QWidget>

class KQLabel;
class QLabel;
class QMenu;
class QMouseEvent;

// One playlist of a user page's header: its picture with the item count, and its name. A
// click opens the playlist in the current tab; the menu opens it in a new tab or in the web
// browser.
class PlaylistItemForm : public QWidget
{
    Q_OBJECT
public:
    explicit PlaylistItemForm(const PlaylistItem& playlist, QWidget* parent = nullptr);

    const PlaylistItem& playlist() const { return m_playlist; }
    KQLabel* imageLabel() const { return m_imageLabel; }
    QMenu* contextMenu() const { return m_menu; }

public slots:
    void contextMenuTriggered(const QPoint& position);
    void openInNewTab();
    void showListInBrowser();

private slots:
    void onImageMouseOver();
    void onImageMouseOut();
    void imageClicked(QMouseEvent* event);
    void loadImage();
    void onImageLoaded(const QImage& image);

private:
    void setBorderColour(const char* colour);
    void openPage(bool newTab) const;

    PlaylistItem m_playlist;
    KQLabel* m_imageLabel;
    QLabel* m_nameLabel;
    QMenu* m_menu;
};

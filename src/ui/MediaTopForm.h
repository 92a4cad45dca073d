#pragma once

#include "MediaItemViewBase.h"

class KQLabel;
class MediaItem;
class QLabel;
class QMenu;
class QFormLayout;
class QPushButton;
class QScrollArea;
class RatingWidget;

// The head of a media page: the item's large picture beside its title, uploader, publish date,
// views, likes, rating, HD mark, length and description, with a download button and the same
// menus and download rules as the item's card (through a controller of its own).
class MediaTopForm : public MediaItemViewBase
{
    Q_OBJECT
public:
    explicit MediaTopForm(const MediaItem& item, QWidget* parent = nullptr);

    QPushButton* downloadButton() const { return m_download; }
    QMenu* contextMenu() const;

    // How high the picture is shown at most.
    static constexpr int maximumPictureHeight() { return 250; }

signals:
    // The picture is in place and the form has its final height.
    void formLoaded();

public slots:
    void populate();
    void playInContainer();

protected:
    QUrl pictureAddress() const override;
    void showPicture(const QPixmap& picture) override;

private slots:
    void descriptionMouseOver();
    void descriptionMouseOut();
    void onStateChanged(ProcessingStates::States state);

private:
    QWidget* buildInfo();
    void addInfoRow(const char* captionName, const QString& caption, QWidget* value);
    void showInfoRow(QWidget* value, bool shown);

    int m_scrollBarWidth;
    QWidget* m_info = nullptr;
    QFormLayout* m_rows = nullptr;
    QLabel* m_title = nullptr;
    KQLabel* m_uploader = nullptr;
    QLabel* m_published = nullptr;
    QLabel* m_views = nullptr;
    QLabel* m_likes = nullptr;
    RatingWidget* m_rating = nullptr;
    QLabel* m_options = nullptr;
    QLabel* m_duration = nullptr;
    QScrollArea* m_descriptionArea = nullptr;
    KQLabel* m_description = nullptr;
    QPushButton* m_download = nullptr;
    QPushButton* m_play = nullptr;
};
